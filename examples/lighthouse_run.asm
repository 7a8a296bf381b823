; Lighthouse Run - the example tune that comes with NOTECAST.
;
; A small three-song C64 tune with its own player, written for this project.
; The PSID header is part of the source, so one assembler run gives the
; finished file:
;
;     acme -f plain -o examples/lighthouse_run.sid examples/lighthouse_run.asm
;
; (or "cmake --build build --target example_tune"). The committed .sid must
; always be the output of this source; a test checks that.
;
; Songs
;   1  "Lighthouse Run"  50 Hz vertical blank, 125 bpm, 28 bars then loops
;   2  "Night Ferry"     CIA 1 timer A at 100 Hz (double speed), about 107 bpm
;   3  "Landfall"        a short jingle that ends by itself
;
; Sounds
;   voice 1  bass: pulse wave whose width sweeps up and down
;   voice 2  lead: sawtooth with delayed vibrato and slides; arpeggio chords
;            in the intro of song 1
;   voice 3  drums: hi-hat (noise only), kick (noise, then a falling
;            triangle), snare (noise, pulse, noise); arpeggios in song 2
;
; Most notes end by a gate-off a few frames before the next note; notes
; marked HOLD keep the gate on and run straight into the next note (the
; player then clears and sets the gate inside one play call). A note marked
; SLIDE glides from the previous pitch without a new attack.

; ---------------------------------------------------------------------------
; PSID header (version 2, big-endian fields)

LOAD    = $1000
SONGS   = 3

        * = LOAD - $7c - 2
        !raw "PSID"
        !be16 2                 ; version
        !be16 $7c               ; data offset
        !be16 0                 ; load address: first two data bytes
        !be16 LOAD              ; init address (jump table below)
        !be16 LOAD + 3          ; play address
        !be16 SONGS             ; number of songs
        !be16 1                 ; start song
        !be32 $00000002         ; song 2 runs from CIA 1 timer A
name    !raw "Lighthouse Run"
        !fill 32 - (* - name), 0
author  !raw "The NOTECAST authors"
        !fill 32 - (* - author), 0
copy    !raw "2026 The NOTECAST authors"
        !fill 32 - (* - copy), 0
        !be16 $0014             ; flags: PAL, 6581
        !byte 0, 0              ; no relocation information
        !be16 0                 ; reserved
        !le16 LOAD              ; the data begins with its load address
        !if * != LOAD { !error "the header must be 124 bytes long" }

; ---------------------------------------------------------------------------
; Note names (C-4 = 48, A-4 = 57 = 440 Hz) and pattern commands

C1 = 12 : Cs1 = 13 : D1 = 14 : Ds1 = 15 : E1 = 16 : F1 = 17 : Fs1 = 18 : G1 = 19 : Gs1 = 20 : A1 = 21 : As1 = 22 : B1 = 23
C2 = 24 : Cs2 = 25 : D2 = 26 : Ds2 = 27 : E2 = 28 : F2 = 29 : Fs2 = 30 : G2 = 31 : Gs2 = 32 : A2 = 33 : As2 = 34 : B2 = 35
C3 = 36 : Cs3 = 37 : D3 = 38 : Ds3 = 39 : E3 = 40 : F3 = 41 : Fs3 = 42 : G3 = 43 : Gs3 = 44 : A3 = 45 : As3 = 46 : B3 = 47
C4 = 48 : Cs4 = 49 : D4 = 50 : Ds4 = 51 : E4 = 52 : F4 = 53 : Fs4 = 54 : G4 = 55 : Gs4 = 56 : A4 = 57 : As4 = 58 : B4 = 59
C5 = 60 : Cs5 = 61 : D5 = 62 : Ds5 = 63 : E5 = 64 : F5 = 65 : Fs5 = 66 : G5 = 67 : Gs5 = 68 : A5 = 69 : As5 = 70 : B5 = 71
C6 = 72 : Cs6 = 73 : D6 = 74 : Ds6 = 75 : E6 = 76 : F6 = 77 : Fs6 = 78 : G6 = 79 : Gs6 = 80 : A6 = 81 : As6 = 82 : B6 = 83

TOPNOTE = 94            ; highest note whose frequency fits 16 bits
DRUM    = C4            ; drums ignore the note; any value will do

; Pattern bytes:
;   $00-$5e   note (plus the voice's transpose)
;   $60       rest: gate off for the current length
;   $80-$8f   length of the following notes, 1-16 ticks
;   $a0-$bf   instrument
;   $c1       HOLD: the next note keeps its gate to the end
;   $c2       SLIDE: the next note glides from the previous pitch
;   $ff       end of pattern
REST    = $60
L1 = $80 : L2 = $81 : L3 = $82 : L4 = $83 : L6 = $85 : L8 = $87
L10 = $89 : L12 = $8b : L14 = $8d : L16 = $8f
HOLD    = $c0 + F_HOLD
SLIDE   = $c0 + F_SLIDE
END     = $ff

; Order list bytes:
;   $00-$7f   pattern number
;   $80-$bf   transpose by (byte - $a0) semitones: TR+n, TR-n
;   $fe       stop the voice
;   $ff, n    continue at position n
TR      = $a0
STOP    = $fe
LOOP    = $ff

F_HOLD  = 1             ; voice flags
F_SLIDE = 2
F_OFF   = $80

ptr     = $fb           ; pattern pointer while reading (zero page)
optr    = $fd           ; order list pointer while reading (zero page)

; ---------------------------------------------------------------------------
; Entry points

        jmp init
        jmp play

; Init: A = song index (0-based). Clears the SID and the player state,
; sets the filter and volume of the song and, for a CIA-timed song, the
; CIA 1 timer A latch.
init
        cmp #SONGS
        bcc +
        lda #0
+       tay
        lda #0
        ldx #$18
-       sta $d400,x
        dex
        bpl -
        ldx #state_end - state
-       sta state - 1,x
        dex
        bne -
        sty song

        lda song_speed,y
        sta speed
        lda song_timer_lo,y
        ora song_timer_hi,y
        beq +
        lda song_timer_lo,y
        sta $dc04
        lda song_timer_hi,y
        sta $dc05
+       lda song_cutoff,y
        sta $d416
        lda song_resonance,y
        sta $d417
        lda song_mode_volume,y
        sta $d418

        ; song * 3 + voice indexes the order list table
        tya
        asl
        adc song
        tay
        ldx #0
-       lda song_orders_lo,y
        sta v_order_lo,x
        lda song_orders_hi,y
        sta v_order_hi,x
        lda #<empty_pattern
        sta v_pat_lo,x
        lda #>empty_pattern
        sta v_pat_hi,x
        lda #1
        sta v_count,x
        iny
        inx
        cpx #3
        bne -
        rts

; Play: one frame of all three voices.
play
        ldx #0
-       jsr voice
        inx
        cpx #3
        bne -
        rts

; ---------------------------------------------------------------------------
; One voice, X = voice number

voice
        lda v_flags,x
        bmi @done               ; stopped
        dec v_count,x
        bne +
        jsr next_event
        lda v_flags,x
        bmi @stopped
+       jsr wave_step
        jsr pitch
        jsr pulse
        jsr gate_check
        jsr write_registers
        lda v_time,x
        cmp #$ff
        beq @done
        inc v_time,x
@done   rts
@stopped
        ldy reg_offset,x
        lda v_wave,x
        sta $d404,y
        rts

; Reads pattern bytes up to the next note or rest.
next_event
        jsr fetch
        cmp #L1
        bcc @note_or_rest
        cmp #END
        bne +
        jmp next_pattern
+       cmp #HOLD
        bcc +
        and #3
        ora v_next_flags,x
        sta v_next_flags,x
        jmp next_event
+       cmp #TR
        bcc +
        and #$1f
        sta v_instrument,x
        jmp next_event
+       and #$0f
        sta v_length,x
        inc v_length,x
        jmp next_event
@note_or_rest
        cmp #REST
        bne @note
        jsr start_event
        lda #0
        sta v_gate,x
        rts
@note   clc
        adc v_transpose,x
        cmp #TOPNOTE + 1
        bcc +
        lda #TOPNOTE
+       sta v_note,x
        jsr start_event
        lda v_flags,x
        and #F_SLIDE
        bne @slide
        lda #1                  ; a new attack
        sta v_retrigger,x
        sta v_gate,x
        ldy v_instrument,x
        lda inst_wave,y
        sta v_wave_pos,x
        lda #0
        sta v_sliding,x
        lda inst_pw_speed,y     ; a running sweep goes on across notes
        beq @set_pw
        lda v_pw_speed,x
        bne @restart_vibrato
        lda inst_pw_speed,y
@set_pw sta v_pw_speed,x
        lda inst_pw,y
        sta v_pw_hi,x
        lda #0
        sta v_pw_lo,x
        jmp @restart_vibrato
@slide  lda #1                  ; same attack, new pitch target
        sta v_sliding,x
        sta v_gate,x
@restart_vibrato
        lda #0
        sta v_time,x
        sta v_vib_pos,x
        sta v_vib_lo,x
        sta v_vib_hi,x
        rts

; End of a pattern: the next entries of the order list.
next_pattern
        lda v_order_lo,x
        sta optr
        lda v_order_hi,x
        sta optr + 1
@read   ldy v_order_pos,x
        lda (optr),y
        inc v_order_pos,x
        cmp #LOOP
        bne +
        iny
        lda (optr),y
        sta v_order_pos,x
        jmp @read
+       cmp #STOP
        bne +
        lda #F_OFF
        sta v_flags,x
        rts
+       cmp #$80
        bcc +
        sec
        sbc #TR
        sta v_transpose,x
        jmp @read
+       tay
        lda pattern_lo,y
        sta v_pat_lo,x
        lda pattern_hi,y
        sta v_pat_hi,x
        jmp next_event

; The event's length in frames, and its flags.
start_event
        lda #0
        ldy v_length,x
-       clc
        adc speed
        dey
        bne -
        sta v_count,x
        lda v_next_flags,x
        sta v_flags,x
        lda #0
        sta v_next_flags,x
        rts

; Next byte of the voice's pattern in A.
fetch
        lda v_pat_lo,x
        sta ptr
        lda v_pat_hi,x
        sta ptr + 1
        ldy #0
        lda (ptr),y
        inc v_pat_lo,x
        bne +
        inc v_pat_hi,x
+       rts

; One step of the instrument's wave program: each step gives a waveform
; (0 = keep) and a pitch (a semitone offset, or with bit 7 set a fixed
; frequency); $ff jumps to another step.
wave_step
        ldy v_wave_pos,x
        lda wave_table,y
        cmp #$ff
        bne +
        lda wave_table + 1,y
        tay
        lda wave_table,y
+       cmp #0                  ; 0 keeps the waveform
        beq +
        sta v_wave,x
+       lda wave_table + 1,y
        sta v_wave_pitch,x
        iny
        iny
        tya
        sta v_wave_pos,x
        rts

; Frequency of the frame: note, wave-program offset, slide and vibrato.
pitch
        lda v_wave_pitch,x
        bpl +
        asl                     ; fixed frequency, high byte only
        sta v_freq_hi,x
        lda #0
        sta v_freq_lo,x
        rts
+       clc
        adc v_note,x
        cmp #TOPNOTE + 1
        bcc +
        lda #TOPNOTE
+       sta tmp_note
        tay
        lda v_sliding,x
        bne @slide
        lda freq_lo,y
        sta v_base_lo,x
        lda freq_hi,y
        sta v_base_hi,x
        jmp @vibrato
@slide  sec                     ; a quarter of the distance per frame
        lda freq_lo,y
        sbc v_base_lo,x
        sta tmp_lo
        lda freq_hi,y
        sbc v_base_hi,x
        cmp #$80
        ror
        ror tmp_lo
        cmp #$80
        ror
        ror tmp_lo
        sta tmp_hi
        ora tmp_lo
        bne +
        lda freq_lo,y           ; arrived
        sta v_base_lo,x
        lda freq_hi,y
        sta v_base_hi,x
        lda #0
        sta v_sliding,x
        jmp @vibrato
+       clc
        lda v_base_lo,x
        adc tmp_lo
        sta v_base_lo,x
        lda v_base_hi,x
        adc tmp_hi
        sta v_base_hi,x
@vibrato
        jsr vibrato
        clc
        lda v_base_lo,x
        adc v_vib_lo,x
        sta v_freq_lo,x
        lda v_base_hi,x
        adc v_vib_hi,x
        sta v_freq_hi,x
        rts

; Vibrato offset: a triangle of the instrument's speed (frames per quarter
; cycle) and depth (a semitone >> shift per frame), after its delay.
vibrato
        ldy v_instrument,x
        lda inst_vib_delay,y
        bne +
        rts                     ; none
+       cmp v_time,x
        bcc +
        rts                     ; not yet
+       lda v_sliding,x
        beq +
        rts                     ; not while sliding
+
        lda inst_vib_speed,y
        sta tmp_speed
        lda inst_vib_shift,y
        sta tmp_shift
        ldy tmp_note            ; step = a semitone >> shift
        sec
        lda freq_lo + 1,y
        sbc freq_lo,y
        sta tmp_lo
        lda freq_hi + 1,y
        sbc freq_hi,y
        sta tmp_hi
        ldy tmp_shift
-       lsr tmp_hi
        ror tmp_lo
        dey
        bne -
        ; rising in the first and last quarter of the cycle
        lda tmp_speed
        asl
        adc tmp_speed
        sta tmp_three
        lda v_vib_pos,x
        cmp tmp_speed
        bcc @up
        cmp tmp_three
        bcs @up
        sec
        lda v_vib_lo,x
        sbc tmp_lo
        sta v_vib_lo,x
        lda v_vib_hi,x
        sbc tmp_hi
        sta v_vib_hi,x
        jmp @advance
@up     clc
        lda v_vib_lo,x
        adc tmp_lo
        sta v_vib_lo,x
        lda v_vib_hi,x
        adc tmp_hi
        sta v_vib_hi,x
@advance
        lda tmp_speed
        asl
        asl
        sta tmp_three
        inc v_vib_pos,x
        lda v_vib_pos,x
        cmp tmp_three
        bcc @out
        lda #0
        sta v_vib_pos,x
@out    rts

; Pulse width sweep between the instrument's limits.
pulse
        lda v_pw_speed,x
        beq @done
        ldy #0
        ora #0
        bpl +
        dey
+       clc
        adc v_pw_lo,x
        sta v_pw_lo,x
        tya
        adc v_pw_hi,x
        sta v_pw_hi,x
        ldy v_instrument,x
        lda v_pw_speed,x
        bmi @falling
        lda v_pw_hi,x
        cmp inst_pw_max,y
        bcc @done
        bcs @turn
@falling
        lda v_pw_hi,x
        cmp inst_pw_min,y
        bcs @done
@turn   lda v_pw_speed,x
        eor #$ff
        clc
        adc #1
        sta v_pw_speed,x
@done   rts

; The gate goes off in the last frames of a note unless it is held.
gate_check
        lda v_flags,x
        and #F_HOLD
        bne +
        ldy v_instrument,x
        lda inst_gate_off,y
        cmp v_count,x
        bcc +
        lda #0
        sta v_gate,x
+       rts

write_registers
        ldy reg_offset,x
        lda v_retrigger,x
        beq +
        lda v_wave,x            ; gate off first: the new note gets its attack
        sta $d404,y
        lda #0
        sta v_retrigger,x
+       lda v_freq_lo,x
        sta $d400,y
        lda v_freq_hi,x
        sta $d401,y
        lda v_pw_lo,x
        sta $d402,y
        lda v_pw_hi,x
        sta $d403,y
        stx tmp_voice
        lda v_instrument,x
        tax
        lda inst_ad,x
        sta $d405,y
        lda inst_sr,x
        sta $d406,y
        ldx tmp_voice
        lda v_wave,x
        ora v_gate,x
        sta $d404,y
        rts

reg_offset
        !byte 0, 7, 14

; ---------------------------------------------------------------------------
; Frequency table, PAL clock: register = Hz * 2^24 / 985248

freq_lo
        !for n, 0, 95 {
        !if n > TOPNOTE { !byte $ff } else {
        !byte <int(440.0 * 2.0 ^ ((n - 57) / 12.0) * 16777216.0 / 985248.0 + 0.5)
        }
        }
freq_hi
        !for n, 0, 95 {
        !if n > TOPNOTE { !byte $ff } else {
        !byte >int(440.0 * 2.0 ^ ((n - 57) / 12.0) * 16777216.0 / 985248.0 + 0.5)
        }
        }

; ---------------------------------------------------------------------------
; Instruments

BASS = 0 : LEAD = 1 : ARPMIN = 2 : ARPMAJ = 3 : KICK = 4 : SNARE = 5 : HAT = 6 : LEAD2 = 7
I_BASS = TR + BASS : I_LEAD = TR + LEAD : I_ARPMIN = TR + ARPMIN : I_ARPMAJ = TR + ARPMAJ
I_KICK = TR + KICK : I_SNARE = TR + SNARE : I_HAT = TR + HAT : I_LEAD2 = TR + LEAD2

;                 bass  lead  arpm  arpM  kick  snare hat   lead2
inst_ad     !byte $09,  $1a,  $08,  $08,  $09,  $09,  $05,  $4a
inst_sr     !byte $a9,  $a9,  $a6,  $a6,  $00,  $00,  $00,  $b8
inst_gate_off
            !byte 2,    3,    3,    3,    3,    3,    3,    4
inst_wave   !byte w_bass - wave_table, w_lead - wave_table
            !byte w_arpmin - wave_table, w_arpmaj - wave_table
            !byte w_kick - wave_table, w_snare - wave_table
            !byte w_hat - wave_table, w_lead2 - wave_table
inst_pw     !byte $04,  $08,  $08,  $08,  $08,  $08,  $08,  $06
inst_pw_speed
            !byte $18,  0,    0,    0,    0,    0,    0,    $10
inst_pw_min !byte $03,  0,    0,    0,    0,    0,    0,    $04
inst_pw_max !byte $0c,  0,    0,    0,    0,    0,    0,    $0a
inst_vib_delay
            !byte 0,    18,   0,    0,    0,    0,    0,    30
inst_vib_speed
            !byte 0,    3,    0,    0,    0,    0,    0,    5
inst_vib_shift
            !byte 0,    3,    0,    0,    0,    0,    0,    4

; Wave programs: waveform, pitch. Pitch FIX+n is the fixed frequency
; register $n00 * 2; a waveform of $ff jumps to the step given next.
FIX = $80
JUMP = $ff
wave_table
w_bass  !byte $40, 0
        !byte JUMP, w_bass - wave_table
w_lead  !byte $20, 0
        !byte JUMP, w_lead - wave_table
w_lead2 !byte $10, 0
@hold   !byte $40, 0
        !byte JUMP, @hold - wave_table
w_arpmin
        !byte $20, 0
@loop   !byte $40, 3
        !byte 0, 7
        !byte 0, 0
        !byte JUMP, @loop - wave_table
w_arpmaj
        !byte $20, 0
@loop   !byte $40, 4
        !byte 0, 7
        !byte 0, 0
        !byte JUMP, @loop - wave_table
w_kick  !byte $80, FIX + $18
        !byte $10, FIX + $08
        !byte 0, FIX + $06
        !byte 0, FIX + $05
        !byte 0, FIX + $04
@hold   !byte 0, FIX + $03
        !byte JUMP, @hold - wave_table
w_snare !byte $80, FIX + $60
        !byte $40, FIX + $10
        !byte 0, FIX + $0e
@hold   !byte $80, FIX + $50
        !byte JUMP, @hold - wave_table
w_hat   !byte $80, FIX + $78
        !byte JUMP, w_hat - wave_table

; ---------------------------------------------------------------------------
; Songs

song_speed       !byte 6, 14, 6         ; frames per tick
song_timer_lo    !byte 0, <9852, 0      ; CIA 1 timer A (0: vertical blank)
song_timer_hi    !byte 0, >9852, 0
song_cutoff      !byte $60, $48, $00
song_resonance   !byte $41, $84, $00    ; resonance, filtered voices
song_mode_volume !byte $1f, $1f, $0f    ; low-pass, volume 15
song_orders_lo   !byte <s1v1, <s1v2, <s1v3, <s2v1, <s2v2, <s2v3, <s3v1, <s3v2, <s3v3
song_orders_hi   !byte >s1v1, >s1v2, >s1v3, >s2v1, >s2v2, >s2v3, >s3v1, >s3v2, >s3v3

; Song 1: intro (4 bars), A (8), B (8), A (8); loops to the first A.
; Chords: intro Am F C G; A Am F C G Am F E E; B Dm Am F C Dm Am E E.
s1v1    !byte TR, P_BASS, TR-4, P_BASS, TR+3, P_BASS, TR-2, P_BASS
@loop   !byte TR, P_BASS, TR-4, P_BASS, TR+3, P_BASS, TR-2, P_BASS
        !byte TR, P_BASS, TR-4, P_BASS, TR-5, P_BASS, P_BASS
        !byte TR+5, P_BASS, TR, P_BASS, TR-4, P_BASS, TR+3, P_BASS
        !byte TR+5, P_BASS, TR, P_BASS, TR-5, P_BASS, P_BASS
        !byte TR, P_BASS, TR-4, P_BASS, TR+3, P_BASS, TR-2, P_BASS
        !byte TR, P_BASS, TR-4, P_BASS, TR-5, P_BASS, P_BASS
        !byte LOOP, @loop - s1v1
s1v2    !byte TR, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        !byte TR
@loop   !byte P_LEAD_A1, P_LEAD_A2, P_LEAD_B1, P_LEAD_B2, P_LEAD_A1, P_LEAD_A2
        !byte LOOP, @loop - s1v2
s1v3    !byte P_BEAT, P_BEAT, P_BEAT, P_FILL
        !byte LOOP, 0

; Song 2: B chords, then A chords, with the slow lead; loops.
s2v1    !byte TR+5, P_BASS_HALF, TR, P_BASS_HALF, TR-4, P_BASS_HALF, TR+3, P_BASS_HALF
        !byte TR+5, P_BASS_HALF, TR, P_BASS_HALF, TR-5, P_BASS_HALF, P_BASS_HALF
        !byte TR, P_BASS_HALF, TR-4, P_BASS_HALF, TR+3, P_BASS_HALF, TR-2, P_BASS_HALF
        !byte TR, P_BASS_HALF, TR-4, P_BASS_HALF, TR-5, P_BASS_HALF, P_BASS_HALF
        !byte LOOP, 0
s2v2    !byte P_SLOW_1, P_SLOW_2, P_SLOW_3, P_SLOW_4
        !byte LOOP, 0
s2v3    !byte TR+5, P_ARPMIN, TR, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ
        !byte TR+5, P_ARPMIN, TR, P_ARPMIN, TR-5, P_ARPMAJ, P_ARPMAJ
        !byte TR, P_ARPMIN, TR-4, P_ARPMAJ, TR+3, P_ARPMAJ, TR-2, P_ARPMAJ
        !byte TR, P_ARPMIN, TR-4, P_ARPMAJ, TR-5, P_ARPMAJ, P_ARPMAJ
        !byte LOOP, 0

; Song 3: three bars, then silence.
s3v1    !byte P_JINGLE_BASS, STOP
s3v2    !byte P_JINGLE_LEAD, STOP
s3v3    !byte P_JINGLE_DRUMS, STOP

; ---------------------------------------------------------------------------
; Patterns (one bar is 16 ticks)

P_BASS = 0 : P_BASS_HALF = 1 : P_BEAT = 2 : P_FILL = 3 : P_ARPMIN = 4 : P_ARPMAJ = 5
P_LEAD_A1 = 6 : P_LEAD_A2 = 7 : P_LEAD_B1 = 8 : P_LEAD_B2 = 9
P_SLOW_1 = 10 : P_SLOW_2 = 11 : P_SLOW_3 = 12 : P_SLOW_4 = 13
P_JINGLE_BASS = 14 : P_JINGLE_LEAD = 15 : P_JINGLE_DRUMS = 16

pattern_lo
        !byte <bass, <bass_half, <beat, <fill, <arpmin, <arpmaj
        !byte <lead_a1, <lead_a2, <lead_b1, <lead_b2
        !byte <slow_1, <slow_2, <slow_3, <slow_4
        !byte <jingle_bass, <jingle_lead, <jingle_drums
pattern_hi
        !byte >bass, >bass_half, >beat, >fill, >arpmin, >arpmaj
        !byte >lead_a1, >lead_a2, >lead_b1, >lead_b2
        !byte >slow_1, >slow_2, >slow_3, >slow_4
        !byte >jingle_bass, >jingle_lead, >jingle_drums

empty_pattern
        !byte END

; Bass lines, written in A and transposed by the order lists.
bass    !byte I_BASS, L2, A1, L1, A1, A1, L2, A2, A1, HOLD, A1, A2, L1, E2, A2, L2, A1, END
bass_half
        !byte I_BASS, L4, A1, L2, A2, HOLD, E2, L4, A1, A2, END

; Drums
beat    !byte I_KICK, L2, DRUM, I_HAT, DRUM, I_SNARE, DRUM, I_HAT, L1, DRUM, DRUM
        !byte I_KICK, L2, DRUM, I_HAT, DRUM, I_SNARE, DRUM, I_HAT, L1, DRUM, DRUM, END
fill    !byte I_KICK, L2, DRUM, I_HAT, L1, DRUM, DRUM, I_SNARE, L2, DRUM, I_HAT, DRUM
        !byte I_KICK, DRUM, I_SNARE, L1, DRUM, DRUM, DRUM, DRUM, DRUM, DRUM, END

; Arpeggio chords on A, in a 3-3-2-4-4 rhythm.
arpmin  !byte I_ARPMIN, L3, A3, A3, L2, A3, L4, A3, A3, END
arpmaj  !byte I_ARPMAJ, L3, A3, A3, L2, A3, L4, A3, A3, END

; Lead of song 1
lead_a1 !byte I_LEAD
        !byte L3, A4, C5, L2, E5, L4, D5, L2, C5, B4                    ; Am
        !byte L6, C5, L2, A4, L4, F4, A4                                ; F
        !byte L3, G4, C5, L2, E5, L6, G5, L2, E5                        ; C
        !byte HOLD, L2, C5, SLIDE, L10, D5, L4, B4                      ; G
        !byte END
lead_a2 !byte L3, A4, C5, HOLD, L2, E5, SLIDE, L4, A5, L2, G5, E5       ; Am
        !byte L6, F5, L2, E5, L4, C5, A4                                ; F
        !byte L4, Gs4, B4, E5, D5                                       ; E
        !byte L16, E5                                                   ; E
        !byte END
lead_b1 !byte L6, F5, L2, E5, L4, D5, A4                                ; Dm
        !byte L6, C5, L2, B4, L8, A4                                    ; Am
        !byte L3, A4, C5, HOLD, L2, F5, SLIDE, L8, A5                   ; F
        !byte L6, G5, L2, F5, L4, E5, C5                                ; C
        !byte END
lead_b2 !byte L6, D5, L2, F5, HOLD, L4, A5, SLIDE, G5                   ; Dm
        !byte L6, E5, L2, C5, L8, A4                                    ; Am
        !byte L4, B4, D5, E5, Gs5                                       ; E
        !byte HOLD, L8, Gs5, SLIDE, B5                                  ; E
        !byte END

; Lead of song 2
slow_1  !byte I_LEAD2
        !byte L8, A4, L4, D5, F5                                        ; Dm
        !byte HOLD, L8, E5, SLIDE, C5                                   ; Am
        !byte L6, A4, L2, C5, L8, F5                                    ; F
        !byte L12, E5, L4, D5                                           ; C
        !byte END
slow_2  !byte L8, F5, L4, E5, D5                                        ; Dm
        !byte HOLD, L8, C5, SLIDE, E5                                   ; Am
        !byte L4, D5, C5, B4, Gs4                                       ; E
        !byte L16, B4                                                   ; E
        !byte END
slow_3  !byte L12, A4, L4, C5                                           ; Am
        !byte HOLD, L8, F5, E5                                          ; F
        !byte L6, G5, L2, E5, HOLD, L8, C5                              ; C
        !byte SLIDE, L16, D5                                            ; G
        !byte END
slow_4  !byte L6, E5, L2, D5, L8, C5                                    ; Am
        !byte L8, A4, C5                                                ; F
        !byte L8, B4, D5                                                ; E
        !byte L12, E5, L4, REST                                         ; E
        !byte END

; Song 3
jingle_bass
        !byte I_BASS, L2, A1, A1, A2, A1, F1, F1, F2, F1
        !byte G1, G1, G2, G1, E1, E1, E2, E1
        !byte L16, A1, END
jingle_lead
        !byte I_LEAD, L1, A4, C5, E5, A5, L4, C6, L2, A5, F5, L4, A5
        !byte L2, B5, G5, L4, D5, L2, Gs5, B5, L4, D6
        !byte HOLD, L2, Gs5, SLIDE, L14, A5, END
jingle_drums
        !byte I_KICK, L2, DRUM, I_HAT, DRUM, I_SNARE, DRUM, I_HAT, DRUM
        !byte I_KICK, DRUM, I_HAT, DRUM, I_SNARE, DRUM, I_HAT, DRUM
        !byte I_KICK, DRUM, I_SNARE, L1, DRUM, DRUM, L2, DRUM, L1, DRUM, DRUM
        !byte I_KICK, L2, DRUM, I_SNARE, L1, DRUM, DRUM, DRUM, DRUM, L2, DRUM
        !byte I_KICK, L4, DRUM, L12, REST, END

; ---------------------------------------------------------------------------
; Player state (cleared by init)

state
song            !byte 0
speed           !byte 0
v_order_lo      !fill 3
v_order_hi      !fill 3
v_order_pos     !fill 3
v_pat_lo        !fill 3
v_pat_hi        !fill 3
v_transpose     !fill 3
v_count         !fill 3         ; frames left in the current event
v_length        !fill 3         ; ticks per event
v_instrument    !fill 3
v_note          !fill 3
v_flags         !fill 3
v_next_flags    !fill 3
v_retrigger     !fill 3
v_gate          !fill 3
v_wave          !fill 3
v_wave_pos      !fill 3
v_wave_pitch    !fill 3
v_sliding       !fill 3
v_base_lo       !fill 3         ; frequency before vibrato
v_base_hi       !fill 3
v_freq_lo       !fill 3
v_freq_hi       !fill 3
v_pw_lo         !fill 3
v_pw_hi         !fill 3
v_pw_speed      !fill 3
v_time          !fill 3         ; frames since the note's attack
v_vib_pos       !fill 3
v_vib_lo        !fill 3
v_vib_hi        !fill 3
tmp_voice       !byte 0
tmp_note        !byte 0
tmp_lo          !byte 0
tmp_hi          !byte 0
tmp_speed       !byte 0
tmp_shift       !byte 0
tmp_three       !byte 0
state_end
