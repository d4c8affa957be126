// Process entry: start-up, then the run.
int main() { return 0; }
