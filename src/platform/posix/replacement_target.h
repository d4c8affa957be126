// POSIX only: where a report's name leads, found through descriptors held
// from the walk on, and the refusal of a target that is one of the run's
// own files. Shared by the replacement of a report and the delivery into
// a posting pipe.
#pragma once

#include <sys/stat.h>

#include <string>
#include <vector>

#include "platform/os_status.h"
#include "platform/posix/descriptor.h"
#include "platform/posix/path_walk.h"

namespace ketrav::platform::posix {

// Finds the target `name` reaches: its directory held in `directory`, its
// last name in `target`, what is there now in `old` (`exists` false when
// nothing is), and whose rights the way there is taken with (`way`). A
// link the way may follow is followed this once.
OsStatus find_target(const std::string& name, Descriptor& directory, std::string& target, struct stat& old,
                     bool& exists, Way& way);

// The host directory in `here`, and whether the target's `directory` is
// it (`local`); refused (5) when the target is one of the run's own files:
// a link that leads onto one would have the report renamed onto it, and
// then removed with it.
OsStatus refuse_run_files(int directory, const std::string& target, const struct stat* old,
                          const std::string& local_temporary, const std::vector<std::string>& run_files,
                          struct stat& here, bool& local);

}  // namespace ketrav::platform::posix
