# The Windows build: the real backend, the tool, and the tests that run under Wine.
