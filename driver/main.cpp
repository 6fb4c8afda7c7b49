// Entry of setup. Replaced by the full run order.
int main() { return 0; }
