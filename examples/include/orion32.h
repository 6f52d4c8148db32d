/*
 * orion32.h - registers of the ORION32, a made-up HCS08-family MCU
 * (32 KB flash, 2 KB RAM, external crystal oscillator, real-time counter,
 * keyboard interrupts, two timers, SPI) that the Forgeline examples describe.
 *
 * No real part has this register map. It exists so that the projects built
 * from examples/KeyFiles compile as they are; for a real MCU include the
 * header that comes with its toolchain instead.
 *
 * Registers are plain volatile objects at fixed addresses, written with casts
 * rather than with a compiler's own placement syntax, so that any C compiler
 * for the core takes this file.
 */
#ifndef ORION32_H
#define ORION32_H

/*
 * Interrupt handlers. CodeWarrior spells a handler
 *     interrupt 13 void RTC_Tick(void)
 * and SDCC spells it
 *     void RTC_Tick(void) __interrupt(13)
 * The key files write ISR(RTC_Tick, VECTOR_RTC) and this macro picks the form
 * of the compiler at hand, so one main.c builds with both.
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

#define ORION32_REG8(address)  (*(volatile unsigned char *)(address))
#define ORION32_REG16(address) (*(volatile unsigned int *)(address))

/* Vector numbers: vector n sits at 0xFFFE - 2 * n. */
#define VECTOR_RESET    0
#define VECTOR_SWI      1
#define VECTOR_IRQ      2
#define VECTOR_LVD      3
#define VECTOR_XOSC     4
#define VECTOR_TPM1_CH0 5
#define VECTOR_TPM1_OVF 7
#define VECTOR_TPM2_CH0 8
#define VECTOR_TPM2_OVF 10
#define VECTOR_SPI      11
#define VECTOR_KBI      18
#define VECTOR_RTC      19

/* Parallel ports A to C: data, direction (1 = output), pull-up enable. */
#define PTAD   ORION32_REG8(0x0000)
#define PTADD  ORION32_REG8(0x0001)
#define PTBD   ORION32_REG8(0x0002)
#define PTBDD  ORION32_REG8(0x0003)
#define PTCD   ORION32_REG8(0x0004)
#define PTCDD  ORION32_REG8(0x0005)
#define PTAPE  ORION32_REG8(0x1840)
#define PTBPE  ORION32_REG8(0x1844)
#define PTCPE  ORION32_REG8(0x1848)

/* Keyboard interrupts on port A. */
#define KBISC  ORION32_REG8(0x000C)
#define KBIPE  ORION32_REG8(0x000D)
#define KBIES  ORION32_REG8(0x000E)

#define KBISC_KBF   0x08U
#define KBISC_KBACK 0x04U
#define KBISC_KBIE  0x02U
#define KBISC_KBMOD 0x01U

/* Timer 2: one 16-bit counter with two channels; channel 0 drives PTC0. */
#define TPM2SC   ORION32_REG8(0x0030)
#define TPM2CNT  ORION32_REG16(0x0031)
#define TPM2MOD  ORION32_REG16(0x0033)
#define TPM2C0SC ORION32_REG8(0x0035)
#define TPM2C0V  ORION32_REG16(0x0036)

#define TPMSC_TOF       0x80U
#define TPMSC_TOIE      0x40U
#define TPMSC_CPWMS     0x20U
#define TPMSC_CLKS_BUS  0x08U
#define TPMSC_PS_1      0x00U
#define TPMSC_PS_8      0x03U
#define TPMCSC_CHF      0x80U
#define TPMCSC_CHIE     0x40U
#define TPMCSC_MSB      0x20U
#define TPMCSC_ELSB     0x08U

/* Clock generator: crystal oscillator and an FLL (x512 of the reference). */
#define XOSCC1 ORION32_REG8(0x0038)
#define XOSCC2 ORION32_REG8(0x0039)
#define XOSCSC ORION32_REG8(0x003B)

#define XOSCC1_CLKS_FLL  0x00U
#define XOSCC1_RDIV_128  0x38U
#define XOSCC1_IREFS     0x04U
#define XOSCC2_BDIV_2    0x40U
#define XOSCC2_RANGE     0x20U
#define XOSCC2_HGO       0x10U
#define XOSCC2_EREFS     0x04U
#define XOSCC2_ERCLKEN   0x02U
#define XOSCSC_IREFST    0x10U
#define XOSCSC_OSCINIT   0x02U

/* Serial peripheral interface. */
#define SPIC1  ORION32_REG8(0x0028)
#define SPIC2  ORION32_REG8(0x0029)
#define SPIBR  ORION32_REG8(0x002A)
#define SPIS   ORION32_REG8(0x002B)
#define SPID   ORION32_REG8(0x002D)

#define SPIC1_SPIE  0x80U
#define SPIC1_SPE   0x40U
#define SPIC1_SPTIE 0x20U
#define SPIC1_MSTR  0x10U
#define SPIC1_CPOL  0x08U
#define SPIC1_CPHA  0x04U
#define SPIC1_SSOE  0x02U
#define SPIC2_MODFEN 0x10U
#define SPIS_SPRF   0x80U
#define SPIS_SPTEF  0x20U

/* Real-time counter, clocked by the internal 1 kHz low-power oscillator. */
#define RTCSC  ORION32_REG8(0x0048)
#define RTCCNT ORION32_REG8(0x0049)
#define RTCMOD ORION32_REG8(0x004A)

#define RTCSC_RTIF     0x80U
#define RTCSC_CLKS_LPO 0x00U
#define RTCSC_RTIE     0x10U
#define RTCSC_DIV_10   0x0AU

/* System control: reset status (write to feed the watchdog), options. */
#define SRS    ORION32_REG8(0x1800)
#define SOPT1  ORION32_REG8(0x1802)
#define SOPT2  ORION32_REG8(0x1803)
#define SPMSC1 ORION32_REG8(0x1809)

/* SOPT1 may be written once after reset; later writes are ignored. */
#define SOPT1_COPE   0x80U
#define SOPT1_STOPE  0x20U
#define SOPT1_BKGDPE 0x02U
#define SOPT1_RSTPE  0x01U
#define SPMSC1_LVDRE 0x10U
#define SPMSC1_LVDE  0x04U

#define RESET_WATCHDOG() (SRS = 0x55U)

#endif /* ORION32_H */
