// The file table: a list with new entries at the front, so that closing all
// files closes the newest first, and an index of the low slots, which every
// line read or written looks up.
#include "services/file_table.h"

#include <atomic>
#include <list>
#include <new>

#include "services/service_locks.h"

namespace ketrav::services {
namespace {

std::list<OpenFile>& table() {
    static std::list<OpenFile> entries;
    return entries;
}

// The entry of each low slot, or nullptr; higher slots are searched for.
// Changed under the table's lock, read without it: every line read or
// written looks its slot up, and the entry found is used after any lock
// would be let go anyway.
constexpr Slot indexed_slots = 64;
std::array<std::atomic<OpenFile*>, indexed_slots> low_slots{};

bool indexed(Slot slot) { return slot >= 0 && slot < indexed_slots; }

}  // namespace

OpenFile* find_open_file(Slot slot) {
    if (indexed(slot)) return low_slots[static_cast<std::size_t>(slot)].load(std::memory_order_acquire);
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
    if (indexed(slot)) low_slots[static_cast<std::size_t>(slot)].store(&table().front(), std::memory_order_release);
    return &table().front();
}

bool remove_open_file(const OpenFile* entry) {
    LockHeld held(table_lock());
    for (auto it = table().begin(); it != table().end(); ++it) {
        if (&*it == entry) {
            if (indexed(it->slot) && low_slots[static_cast<std::size_t>(it->slot)].load() == entry)
                low_slots[static_cast<std::size_t>(it->slot)].store(nullptr, std::memory_order_release);
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

OpenFile* next_open_file(const OpenFile* entry) {
    LockHeld held(table_lock());
    for (auto it = table().begin(); it != table().end(); ++it)
        if (&*it == entry) return ++it == table().end() ? nullptr : &*it;
    return nullptr;
}

}  // namespace ketrav::services
