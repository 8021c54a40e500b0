# File systems inside disk images seen as Windows drives, read through The Sleuth Kit (raw and
# split raw, E01, VHD, VMDK; MBR and GPT; NTFS, FAT, exFAT). No registry hive here either, so that
# any test program can hold image drives.
find_package(PkgConfig REQUIRED)
pkg_check_modules(TSK REQUIRED IMPORTED_TARGET tsk)

add_library(vs_images STATIC
  src/platform/image/tsk_handles.cpp
  src/platform/image/disk_image.cpp
  src/platform/image/entry_facts.cpp
  src/platform/image/image_directory.cpp
  src/platform/image/image_file.cpp
  src/platform/image/image_listing.cpp
  src/platform/image/image_volume.cpp
  src/platform/image/image_partitions.cpp
)
target_link_libraries(vs_images PUBLIC vs_volumes PkgConfig::TSK)

# For the tests: disk images built with Debian's tools (tests/images/image_builder.h), NTFS ones
# through the NTFS library's API.
pkg_check_modules(NTFS3G REQUIRED IMPORTED_TARGET libntfs-3g)
add_executable(make_ntfs_image tests/images/make_ntfs_image.cpp)
target_link_libraries(make_ntfs_image PRIVATE PkgConfig::NTFS3G)

add_library(vs_image_fixtures STATIC tests/images/image_builder.cpp)
target_include_directories(vs_image_fixtures PUBLIC tests)
target_link_libraries(vs_image_fixtures PUBLIC vs_images)
target_compile_definitions(vs_image_fixtures
  PRIVATE MAKE_NTFS_IMAGE_PATH="$<TARGET_FILE:make_ntfs_image>")
add_dependencies(vs_image_fixtures make_ntfs_image)
