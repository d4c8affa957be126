// POSIX only: the names of the temporaries a host directory's runs make in
// another directory (a posting folder), and the removal of what killed
// runs left there.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <string>

#include "platform/os_status.h"

namespace ketrav::platform::posix {

// The start of every such temporary's name: the same for every run of one
// host, so that the next run finds what a killed one left, and different
// between hosts posting into one directory. The host is known by its
// directory's inode and birth time (`born`, zero where the file system
// keeps none), which a reboot keeps; never by its device, which a disk
// brought back under another number changes.
std::string host_prefix(const struct stat& host, const struct timespec& born);
// The start release 1.0.E-4 (and those before it) gave its temporaries:
// from the device and the inode.
std::string host_prefix_of_1_0_E_4(const struct stat& host);
// The host directory's birth time, where the file system keeps one.
struct timespec birth_of_host(const struct stat& host);

// A new name after `prefix` no one can foresee: 16 random hexadecimal
// digits and ".tmp". Fails where the system gives no random bytes.
OsStatus unforeseeable_name(const std::string& prefix, std::string& name);

// Whether `name` is one unforeseeable_name gives after `prefix`.
bool is_generated_name(const std::string& name, const std::string& prefix);

// Removes from `directory` what killed runs of this host left: names of
// either shape (this release's or 1.0.E-4's), and only regular files of
// `user`'s that no run holds (a run holds its temporary locked until it
// is in place, so another host whose name happens to match loses
// nothing). A directory that cannot be listed keeps them; no run ever
// takes one for its own.
// `prefix` is this release's for the host (host_prefix), `host` its stat.
void remove_leftovers_of_host(int directory, const std::string& prefix, const struct stat& host, uid_t user);

}  // namespace ketrav::platform::posix
