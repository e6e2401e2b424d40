int app_core(void) { return 0; }
