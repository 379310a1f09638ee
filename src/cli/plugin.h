#pragma once

#include "core/error.h"

#include <memory>
#include <string>

namespace tvx::cli {

// A part of the tool that only one command needs (sound output, the PDF report), kept in a
// library of its own and loaded when that command runs, so every other command starts
// without its libraries.
class Plugin {
public:
    // Looks for libtvx_NAME.so beside the executable, then in the plugin folder installed beside it.
    static Result<Plugin> Open(const std::string& name);

    // The entry point the plugin exports with C linkage, or nullptr.
    template <typename Function>
    Function* Entry(const char* symbol) const {
        return reinterpret_cast<Function*>(Find(symbol));
    }

private:
    explicit Plugin(void* handle);
    void* Find(const char* symbol) const;

    // Never closed: the plugin's code may still run in threads and static destructors.
    std::shared_ptr<void> m_handle;
};

}  // namespace tvx::cli
