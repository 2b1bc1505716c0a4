Name=Login sequence
DurationMs=3187
E=0|0|100|200|-1
E=15|1|100|200|0
E=120|2|101|201|0
