// The SOFTWARE hive of an installation inside a disk image, copied into an anonymous memory file
// for hivex, which reads hives from files: nothing is written, to the image or anywhere else.
#pragma once

#include <memory>
#include <string>

#include "platform/linux/software_hive.h"
#include "platform/volumes/volume.h"

namespace vs::offline {

// Null, with the reason, when the hive cannot be read from the volume or is no hive.
std::unique_ptr<linux_host::SoftwareHive> loadHiveFromVolume(
    volumes::Volume& volume, const volumes::VolumePath& path,
    linux_host::SoftwareHive::Notice notice, std::string& error);

}  // namespace vs::offline
