// Two libraries that both define the same function, for the check's self-test.
int qv_duplicate_probe() {
    return 1;
}
