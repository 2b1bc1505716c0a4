# The program's version, written here only: the build, the resources, the packages and the
# test scripts all take it from this line.
set(QEL_VERSION 2.4)
