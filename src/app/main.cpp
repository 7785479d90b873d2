// The game: the live platform (window, sound, input) around the shared entry.
int main() { return 0; }
