; SPDX-License-Identifier: MIT
; The machine-code part of the example tape. The BASIC loader loads it
; at 32768 and calls it there.
        org 32768

start:  ld a, 1
        out (254), a            ; blue border
        ld a, 2
        call 5633               ; CHAN-OPEN: print to the upper screen
        ld ix, (23684)          ; DF_CC, the print position before printing
        ld hl, message
        ld b, 0                 ; counts the characters printed
next:   ld a, (hl)
        or a
        jr z, done
        push hl
        push bc
        rst 16                  ; PRINT-A
        pop bc
        pop hl
        inc hl
        inc b
        jr next
done:   ld a, b                 ; A = 17, the length of the message
finish: jr finish               ; the program ends here, looping

message:
        db "Loaded by Reelkit", 0
