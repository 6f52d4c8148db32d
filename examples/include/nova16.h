/*
 * nova16.h - registers of the NOVA16, a made-up HCS08-family MCU
 * (16 KB flash, 1 KB RAM) that the Forgeline examples describe.
 *
 * No real part has this register map. It exists so that the projects built
 * from examples/KeyFiles compile as they are; for a real MCU include the
 * header that comes with its toolchain instead.
 *
 * Registers are plain volatile objects at fixed addresses, written with casts
 * rather than with a compiler's own placement syntax, so that any C compiler
 * for the core takes this file.
 */
#ifndef NOVA16_H
#define NOVA16_H

/*
 * Interrupt handlers. CodeWarrior spells a handler
 *     interrupt 7 void TPM_Overflow(void)
 * and SDCC spells it
 *     void TPM_Overflow(void) __interrupt(7)
 * The key files write ISR(TPM_Overflow, VECTOR_TPM_OVF) and this macro picks
 * the form of the compiler at hand, so one main.c builds with both.
 */
#ifdef __SDCC
#define ISR(name, vector) void name(void) __interrupt(vector)
#define EnableInterrupts  __asm__("cli")
#define DisableInterrupts __asm__("sei")
#else
#define ISR(name, vector) interrupt vector void name(void)
#define EnableInterrupts  __asm CLI
#define DisableInterrupts __asm SEI
#endif

#define NOVA16_REG8(address)  (*(volatile unsigned char *)(address))
#define NOVA16_REG16(address) (*(volatile unsigned int *)(address))

/* Vector numbers: vector n sits at 0xFFFE - 2 * n. */
#define VECTOR_RESET      0
#define VECTOR_SWI        1
#define VECTOR_IRQ        2
#define VECTOR_LVD        3
#define VECTOR_ICS_LOCK   4
#define VECTOR_TPM_CH0    5
#define VECTOR_TPM_CH1    6
#define VECTOR_TPM_OVF    7
#define VECTOR_SCI_ERR    8
#define VECTOR_SCI_RX     9
#define VECTOR_SCI_TX     10
#define VECTOR_ADC        11
#define VECTOR_KBI        12
#define VECTOR_RTI        13

/* Parallel ports A and B: data, direction (1 = output), pull-up enable. */
#define PTAD   NOVA16_REG8(0x0000)
#define PTADD  NOVA16_REG8(0x0001)
#define PTBD   NOVA16_REG8(0x0002)
#define PTBDD  NOVA16_REG8(0x0003)
#define PTAPE  NOVA16_REG8(0x1840)
#define PTBPE  NOVA16_REG8(0x1848)

/* Analogue-to-digital converter: 10 bits, 8 channels on port A. */
#define ADCSC1 NOVA16_REG8(0x0010)
#define ADCSC2 NOVA16_REG8(0x0011)
#define ADCR   NOVA16_REG16(0x0012)
#define ADCCFG NOVA16_REG8(0x0016)
#define APCTL1 NOVA16_REG8(0x0017)

#define ADCSC1_COCO   0x80U
#define ADCSC1_AIEN   0x40U
#define ADCSC1_ADCO   0x20U
#define ADCSC1_ADCH   0x1FU
#define ADCCFG_ADLPC  0x80U
#define ADCCFG_ADIV_1 0x00U
#define ADCCFG_ADIV_2 0x20U
#define ADCCFG_ADIV_4 0x40U
#define ADCCFG_ADIV_8 0x60U
#define ADCCFG_MODE_8BIT  0x00U
#define ADCCFG_MODE_10BIT 0x08U
#define ADCCFG_ADICLK_BUS 0x00U
#define APCTL1_ADPC0  0x01U
#define APCTL1_ADPC1  0x02U
#define APCTL1_ADPC2  0x04U
#define APCTL1_ADPC3  0x08U

/* Serial communications interface. */
#define SCIBD  NOVA16_REG16(0x0020)
#define SCIC1  NOVA16_REG8(0x0022)
#define SCIC2  NOVA16_REG8(0x0023)
#define SCIS1  NOVA16_REG8(0x0024)
#define SCIS2  NOVA16_REG8(0x0025)
#define SCIC3  NOVA16_REG8(0x0026)
#define SCID   NOVA16_REG8(0x0027)

#define SCIC2_TIE  0x80U
#define SCIC2_TCIE 0x40U
#define SCIC2_RIE  0x20U
#define SCIC2_ILIE 0x10U
#define SCIC2_TE   0x08U
#define SCIC2_RE   0x04U
#define SCIS1_TDRE 0x80U
#define SCIS1_TC   0x40U
#define SCIS1_RDRF 0x20U
#define SCIS1_OR   0x08U

/* Internal clock source: a trimmable 31.25 kHz reference and an FLL (x512). */
#define ICSC1  NOVA16_REG8(0x0038)
#define ICSC2  NOVA16_REG8(0x0039)
#define ICSTRM NOVA16_REG8(0x003A)
#define ICSSC  NOVA16_REG8(0x003B)

#define ICSC1_CLKS_FLL   0x00U
#define ICSC1_CLKS_INT   0x40U
#define ICSC1_IREFS      0x04U
#define ICSC2_BDIV_1     0x00U
#define ICSC2_BDIV_2     0x40U
#define ICSC2_BDIV_4     0x80U
#define ICSC2_BDIV_8     0xC0U
#define ICSSC_IREFST     0x10U
#define ICSSC_CLKST_MASK 0x0CU
#define ICSSC_CLKST_FLL  0x00U

/* Timer/PWM module: one 16-bit counter, two channels. */
#define TPMSC   NOVA16_REG8(0x0040)
#define TPMCNT  NOVA16_REG16(0x0041)
#define TPMMOD  NOVA16_REG16(0x0043)
#define TPMC0SC NOVA16_REG8(0x0045)
#define TPMC0V  NOVA16_REG16(0x0046)
#define TPMC1SC NOVA16_REG8(0x0048)
#define TPMC1V  NOVA16_REG16(0x0049)

#define TPMSC_TOF        0x80U
#define TPMSC_TOIE       0x40U
#define TPMSC_CPWMS      0x20U
#define TPMSC_CLKS_BUS   0x08U
#define TPMSC_CLKS_FIXED 0x10U
#define TPMSC_PS_1       0x00U
#define TPMSC_PS_8       0x03U
#define TPMSC_PS_128     0x07U

/* System control: reset status (write to feed the watchdog), options. */
#define SRS    NOVA16_REG8(0x1800)
#define SOPT1  NOVA16_REG8(0x1802)
#define SPMSC1 NOVA16_REG8(0x1809)
#define SPMSC2 NOVA16_REG8(0x180A)

/* SOPT1 may be written once after reset; later writes are ignored. */
#define SOPT1_COPE   0x80U
#define SOPT1_COPT   0x40U
#define SOPT1_STOPE  0x20U
#define SOPT1_BKGDPE 0x02U
#define SOPT1_RSTPE  0x01U
#define SPMSC1_LVDRE 0x10U
#define SPMSC1_LVDE  0x04U

/* Factory trim of the internal reference, kept in flash; 0xFF when erased. */
#define NV_ICSTRM (*(const volatile unsigned char *)0xFFAF)

#define RESET_WATCHDOG() (SRS = 0x55U)

#endif /* NOVA16_H */
