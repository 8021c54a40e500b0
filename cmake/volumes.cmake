# Host folders seen as Windows drives: the volumes of a Windows installation mounted on this host,
# and the system's file calls on Windows paths over them. No registry hive here, so that the
# simulated machine can use them without hivex.
add_library(vs_volumes STATIC
  src/platform/linux/windows_path.cpp
  src/platform/linux/mounted_volume.cpp
  src/platform/linux/volume_listing.cpp
  src/platform/linux/drive_table.cpp
  src/platform/linux/host_names.cpp
)
target_link_libraries(vs_volumes PUBLIC vs_platform)
