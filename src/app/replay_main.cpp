// The game played headless from an input script.
int main(int argc, char** argv) { return 0; }
