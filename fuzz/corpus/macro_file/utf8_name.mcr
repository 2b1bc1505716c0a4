Name=Müller €
DurationMs=1
