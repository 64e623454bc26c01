// Choosing the Java home: the JavaHome value of the registry key that the pointer file names, from
// the first registry view whose home holds the runtime.
#pragma once

#include "registry/registry.h"

#include <optional>
#include <string>
#include <vector>

// What became of one registry view's answer.
enum class HomeVerdict {
    NoValue,       // no key, no value, or a value of another type
    NotAWholePath, // not a whole folder path, or it holds a quote or a control character
    NoJavaw,       // a whole path, but bin\javaw.exe is no file there
    Taken,         // bin\javaw.exe is there
};

struct ViewAnswer {
    modRegAccess::RegistryView view;
    modRegAccess::RegistryRead read;
    HomeVerdict verdict;
};

// The Java home a run starts javaw.exe under.
struct JavaHome {
    std::wstring dir;
    modRegAccess::RegistryView view; // the registry view it came from
    // Whether it holds bin\javaw.exe. When no view's home does, the first whole path is taken all
    // the same, so that the run names the javaw.exe it could not start.
    bool javawThere = true;
};

// Each view asked, what it answered and what was made of it, and the home chosen.
struct JavaHomeChoice {
    // The root key the runtimes register under, and the key path below it as the registry takes
    // it: up to its first NUL.
    platform::RootKey root = platform::RootKey::LocalMachine;
    std::wstring keyPath;
    // A 32-bit Windows has one view, asked once.
    bool oneView = false;
    std::vector<ViewAnswer> views;
    // The home taken, or none, and so the java.exe fallback.
    std::optional<JavaHome> home;
};

// Asks the registry views in their order and stops at the first home that holds bin\javaw.exe: a
// value left behind by an uninstalled runtime does not hide a good one in the other view.
JavaHomeChoice ChooseJavaHome(const std::wstring& runtimeKeyPath);
