/*
 * Start08.c - STAND-IN start-up code for HCS08 projects, written for the
 * Forgeline examples. Replace it with Start08.c from your toolchain
 * installation: the build copies whatever KeyFiles holds under this name
 * into the Sources folder of every HCS08 project.
 *
 * The reset vector points at _Startup (see "VECTOR 0 _Startup" in the key
 * file's linker block). It puts the stack pointer at the top of the stack,
 * clears the zero-initialised variables, copies the initial values of the
 * initialised variables out of flash, and calls main.
 *
 * The linker describes the RAM areas in _startupData; its first field is the
 * address just above the stack, so the stack can be set before any C code
 * that needs it runs.
 */

struct StartupZero {
  unsigned char *start;
  unsigned int size;
};

struct StartupCopy {
  const unsigned char *source;
  unsigned char *target;
  unsigned int size;
};

struct StartupData {
  unsigned char *stackTop;
  unsigned int zeroCount;
  const struct StartupZero *zero;
  unsigned int copyCount;
  const struct StartupCopy *copy;
};

extern const struct StartupData _startupData;
extern void main(void);

void _Startup(void);
static void Init(void);

/* Kept free of local variables: until the stack pointer is set, nothing may
   be pushed, and locals would be placed before the first statement runs. */
void _Startup(void)
{
#ifdef __SDCC
  __asm
    ldhx  __startupData
    txs
  __endasm;
#else
  asm {
    LDHX  _startupData.stackTop
    TXS
  }
#endif
  Init();
  for (;;) {
    main();
  }
}

static void Init(void)
{
  unsigned int i;
  unsigned int n;
  unsigned char *target;
  const unsigned char *source;

  for (i = 0U; i < _startupData.zeroCount; i++) {
    target = _startupData.zero[i].start;
    for (n = _startupData.zero[i].size; n != 0U; n--) {
      *target++ = 0U;
    }
  }
  for (i = 0U; i < _startupData.copyCount; i++) {
    source = _startupData.copy[i].source;
    target = _startupData.copy[i].target;
    for (n = _startupData.copy[i].size; n != 0U; n--) {
      *target++ = *source++;
    }
  }
}
