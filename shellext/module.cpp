#include "shellext/module.h"

#include <atomic>

namespace shellext {

namespace {

HMODULE thisModule = nullptr;
std::atomic<long> objects{0};
std::atomic<long> locks{0};
std::atomic<long> factoryReferences{0};

}  // namespace

void SetModuleHandle(HMODULE module) noexcept { thisModule = module; }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(thisModule, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        // A full buffer may hold a cut path: try again with a larger one.
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

namespace {

void Count(std::atomic<long>& count, bool up) noexcept {
    if (up)
        ++count;
    else
        --count;
}

}  // namespace

void CountObject(bool created) noexcept { Count(objects, created); }
void CountLock(bool locked) noexcept { Count(locks, locked); }
void CountFactoryReference(bool added) noexcept { Count(factoryReferences, added); }

bool ModuleInUse() noexcept { return objects > 0 || locks > 0 || factoryReferences > 0; }

}  // namespace shellext
