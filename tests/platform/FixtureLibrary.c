/* A tiny shared library for the run-time loading tests. */
int tolvar_fixture_answer(void) { return 42; }
