/*
 * StartRS08.c - STAND-IN start-up code for RS08 projects, written for the
 * Forgeline examples. Replace it with StartRS08.c from your toolchain
 * installation: the build copies whatever KeyFiles holds under this name
 * into the Sources folder of every RS08 project.
 *
 * The reset jump leads to _Startup (see "VECTOR 0 _Startup" in the key
 * file's linker block). The RS08 core has no stack, so there is no stack
 * pointer to set: _Startup clears the zero-initialised variables, copies
 * the initial values of the initialised variables out of flash, and calls
 * main. The linker describes the RAM areas in _startupData. RAM is small
 * enough that one byte counts every size.
 */

struct StartupZero {
  unsigned char *start;
  unsigned char size;
};

struct StartupCopy {
  const unsigned char *source;
  unsigned char *target;
  unsigned char size;
};

struct StartupData {
  unsigned char zeroCount;
  const struct StartupZero *zero;
  unsigned char copyCount;
  const struct StartupCopy *copy;
};

extern const struct StartupData _startupData;
extern void main(void);

void _Startup(void);

void _Startup(void)
{
  unsigned char i;
  unsigned char n;
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
  for (;;) {
    main();
  }
}
