; SPDX-License-Identifier: MIT
; The loading screen of the second example tape: 6912 bytes for 16384, the
; 6144 bytes of pixels, then the 768 of colours. Every character cell holds
; an X, and the colours run in eight bars, bright in the upper half.
        org 16384

; The pixels come in thirds of the screen; within a third, the 256 bytes
; from pixel row r on hold row r of every cell.
        rept 3
        ds 256, 10000001B
        ds 256, 01000010B
        ds 256, 00100100B
        ds 256, 00011000B
        ds 256, 00011000B
        ds 256, 00100100B
        ds 256, 01000010B
        ds 256, 10000001B
        endm

; A colour byte is flash (128), bright (64), paper * 8 and ink; each bar is
; four cells wide, its ink the paper's opposite.
bright  equ 64
        rept 12
        irp paper, 0, 1, 2, 3, 4, 5, 6, 7
        ds 4, bright + paper * 8 + 7 - paper
        endm
        endm
        rept 12
        irp paper, 0, 1, 2, 3, 4, 5, 6, 7
        ds 4, paper * 8 + 7 - paper
        endm
        endm
