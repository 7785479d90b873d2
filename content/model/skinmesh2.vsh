vs.1.1
; skinning with 2 blend weight(s); the fixed-function path draws instead
mov oPos, v0
