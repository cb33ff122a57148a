int qv_duplicate_probe() {
    return 2;
}
