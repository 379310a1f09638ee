#include "cli/plugin.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>
#include <vector>

namespace tvx::cli {

namespace {

std::vector<std::filesystem::path> PluginFolders() {
    std::vector<std::filesystem::path> folders;
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error) {
        folders.push_back(self.parent_path());
        folders.push_back(self.parent_path() / TVX_PLUGIN_DIR);
    }
    return folders;
}

}  // namespace

Plugin::Plugin(void* handle) : m_handle(handle, [](void*) {}) {}

Result<Plugin> Plugin::Open(const std::string& name) {
    const std::string file = "libtvx_" + name + ".so";
    std::string why = "not found";
    for (const std::filesystem::path& folder : PluginFolders()) {
        const std::filesystem::path path = folder / file;
        std::error_code error;
        if (!std::filesystem::exists(path, error))
            continue;
        if (void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL))
            return Plugin(handle);
        why = ::dlerror();
    }
    return Error{Cause::NotFound, 0, file, 0, "cannot load the " + name + " component: " + why};
}

void* Plugin::Find(const char* symbol) const {
    return ::dlsym(m_handle.get(), symbol);
}

}  // namespace tvx::cli
