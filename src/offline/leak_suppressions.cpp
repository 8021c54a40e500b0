// Built into sanitizer builds only. The Sleuth Kit, while it tries an image against each format it
// knows, leaves the handles of the format libraries that refused it (VHD, VMDK) unfreed, once per
// image opened: the leak checker is told so, so that it reports only leaks of this program's own.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libvhdi.so\nleak:libvmdk.so\nleak:libewf.so\nleak:libtsk.so\n";
}

// Nor is the list of suppressions used printed after every run.
extern "C" const char* __lsan_default_options() {
  return "print_suppressions=0";
}
