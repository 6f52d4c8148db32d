/*
 * wren2.h - registers of the WREN2, a made-up RS08-family MCU
 * (2 KB flash, 14 bytes of fast-access RAM and 64 bytes of RAM) that the
 * Forgeline examples describe.
 *
 * No real part has this register map. It exists so that the projects built
 * from examples/KeyFiles compile as they are; for a real MCU include the
 * header that comes with its toolchain instead.
 *
 * The RS08 core has no stack and no interrupt vectors: an interrupt source
 * only wakes the core from wait or stop, and the program polls the flags.
 * That is why this header has no handler macro and the WREN2 key file no
 * interrupt bodies.
 */
#ifndef WREN2_H
#define WREN2_H

#define WREN2_REG8(address) (*(volatile unsigned char *)(address))

/* Port A: data, direction (1 = output), pull-up enable. */
#define PTAD   WREN2_REG8(0x0010)
#define PTADD  WREN2_REG8(0x0011)
#define PTAPE  WREN2_REG8(0x0012)

/* Keyboard interrupt flags on port A. */
#define KBISC  WREN2_REG8(0x0014)
#define KBIPE  WREN2_REG8(0x0015)
#define KBIES  WREN2_REG8(0x0016)

#define KBISC_KBF   0x08U
#define KBISC_KBACK 0x04U
#define KBISC_KBIE  0x02U

/* Analogue comparator: PTA0 against PTA1 or the internal band-gap reference. */
#define ACMPSC WREN2_REG8(0x001A)

#define ACMPSC_ACME  0x80U
#define ACMPSC_ACBGS 0x40U
#define ACMPSC_ACF   0x20U
#define ACMPSC_ACIE  0x10U
#define ACMPSC_ACO   0x08U
#define ACMPSC_ACOPE 0x04U

/* Internal clock source: a trimmable 31.25 kHz reference and an FLL (x512). */
#define ICSC1  WREN2_REG8(0x001C)
#define ICSC2  WREN2_REG8(0x001D)
#define ICSTRM WREN2_REG8(0x001E)
#define ICSSC  WREN2_REG8(0x001F)

#define ICSC1_CLKS_FLL   0x00U
#define ICSC1_IREFS      0x04U
#define ICSC2_BDIV_1     0x00U
#define ICSC2_BDIV_2     0x40U
#define ICSSC_CLKST_MASK 0x0CU
#define ICSSC_CLKST_FLL  0x00U

/* 8-bit modulo timer. */
#define MTIMSC  WREN2_REG8(0x0020)
#define MTIMCLK WREN2_REG8(0x0021)
#define MTIMCNT WREN2_REG8(0x0022)
#define MTIMMOD WREN2_REG8(0x0023)

#define MTIMSC_TOF      0x80U
#define MTIMSC_TOIE     0x40U
#define MTIMSC_TRST     0x20U
#define MTIMSC_TSTP     0x10U
#define MTIMCLK_BUS     0x00U
#define MTIMCLK_PS_256  0x08U

/* System control: reset status (write to feed the watchdog), options. */
#define SRS    WREN2_REG8(0x0030)
#define SOPT   WREN2_REG8(0x0031)
#define SPMSC1 WREN2_REG8(0x0032)

/* SOPT may be written once after reset; later writes are ignored. */
#define SOPT_COPE   0x80U
#define SOPT_COPT   0x40U
#define SOPT_STOPE  0x20U
#define SOPT_BKGDPE 0x02U
#define SOPT_RSTPE  0x01U
#define SPMSC1_LVDRE 0x10U
#define SPMSC1_LVDE  0x04U

/* Factory trim of the internal reference, kept in flash; 0xFF when erased. */
#define NV_ICSTRM (*(const volatile unsigned char *)0x3FFA)

#define RESET_WATCHDOG() (SRS = 0x55U)

#endif /* WREN2_H */
