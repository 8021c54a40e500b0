// Built into sanitizer builds only: the sanitizers' defaults where the libraries this program
// reads disk images with would otherwise decide a run.
//
// The Sleuth Kit, while it tries an image against each format it knows, leaves the handles of the
// format libraries that refused it (VHD, VMDK) unfreed, once per image opened: the leak checker is
// told so, so that it reports only leaks of this program's own, and does not list what it was
// told after every run.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libvhdi.so\nleak:libvmdk.so\nleak:libewf.so\nleak:libtsk.so\n";
}

extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}

// A damaged file system can state absurd sizes, for which the library asks memory it cannot have;
// it handles the refusal, as it gets it from an ordinary build's allocator.
extern "C" const char* __asan_default_options() {
  return "allocator_may_return_null=1";
}
