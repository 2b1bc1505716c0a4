name=second wins?
NAME=no
DurationMs= 12
durationms=99
E=
E=||||
 e=1|1|1|1|1
E=+5|+1|+0|-0|x
