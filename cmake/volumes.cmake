# Host folders seen as Windows drives: the volumes of a Windows installation mounted on this host,
# and the system's file calls on Windows paths over them. No registry hive here, so that the
# simulated machine can use them without hivex.
add_library(vs_volumes STATIC
  src/platform/volumes/windows_path.cpp
  src/platform/volumes/mounted_volume.cpp
  src/platform/volumes/volume_listing.cpp
  src/platform/volumes/drive_table.cpp
  src/platform/volumes/host_names.cpp
)
target_link_libraries(vs_volumes PUBLIC vs_platform)
