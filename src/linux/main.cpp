int main() { return 1; }  // replaced by the composition root
