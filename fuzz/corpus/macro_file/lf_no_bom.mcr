Name=plain lf
DurationMs=10
E=0|1|5|5|2
E=10|2|5|5|2
