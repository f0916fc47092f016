; A small Commodore 64 program. It prints a greeting through the KERNAL and
; adds up a table of 16-bit numbers. The output starts with the load address,
; as a .prg file does, so it can be loaded with LOAD "SAMPLE",8,1 and started
; with SYS 49152.

chrout  = $ffd2                 ; KERNAL routine that prints the character in A
ptr     = $fb                   ; zero-page pointer to the table
sum     = $fd                   ; the 16-bit total, low byte first

        .word start             ; load address
        *= $c000

start:  ldx #0
print   lda greeting,x          ; the text ends with a zero byte
        beq added
        jsr chrout
        inx
        bne print

added   lda #<table
        sta ptr
        lda #>table
        sta ptr+1
        lda #0
        sta sum
        sta sum+1
        ldy #0
next:   clc
        lda (ptr),y             ; low byte
        adc sum
        sta sum
        iny
        lda (ptr),y             ; high byte
        adc sum+1
        sta sum+1
        iny
        cpy #count*2
        bne next
        rts

greeting .asc "HELLO FROM KILN!", 13, 0
table   .word 1000, 2000, $0bb8, %0000111110100000
count   = (* - table) / 2       ; entries in the table
        .dsb 4, $ea             ; room for a patch
