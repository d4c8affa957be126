// The file table: a list with new entries at the front, so that closing all
// files closes the newest first.
#include "services/file_table.h"

#include <list>
#include <new>

#include "services/service_locks.h"

namespace ketrav::services {
namespace {

std::list<OpenFile>& table() {
    static std::list<OpenFile> entries;
    return entries;
}

}  // namespace

OpenFile* find_open_file(Slot slot) {
    LockHeld held(table_lock());
    for (OpenFile& entry : table())
        if (entry.slot == slot) return &entry;
    return nullptr;
}

OpenFile* add_open_file(Slot slot) {
    LockHeld held(table_lock());
    try {
        table().emplace_front();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    table().front().slot = slot;
    return &table().front();
}

bool remove_open_file(const OpenFile* entry) {
    LockHeld held(table_lock());
    for (auto it = table().begin(); it != table().end(); ++it) {
        if (&*it == entry) {
            table().erase(it);
            return true;
        }
    }
    return false;
}

OpenFile* newest_open_file() {
    LockHeld held(table_lock());
    return table().empty() ? nullptr : &table().front();
}

}  // namespace ketrav::services
