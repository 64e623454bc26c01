// Choosing the Java home: the JavaHome value of the registry key that the pointer file names, from
// the first registry view whose home holds the runtime.
#pragma once

#include "registry/registry.h"

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

// Each view asked, what it answered and what was made of it, and the home chosen.
struct JavaHomeChoice {
    // The key path as the registry takes it: up to its first NUL.
    std::wstring keyPath;
    // A 32-bit Windows has one view, asked once.
    bool oneView = false;
    std::vector<ViewAnswer> views;
    // The home taken; when no view's home holds bin\javaw.exe, the first whole path, so that the
    // run names the javaw.exe it could not start. Empty: none, so java.exe.
    std::wstring javaHomeDir;
    modRegAccess::RegistryView javaHomeView = modRegAccess::RegistryView::Bits32; // its view

    // Whether the home taken holds bin\javaw.exe.
    bool JavawThere() const { return !views.empty() && views.back().verdict == HomeVerdict::Taken; }
};

// Asks the registry views in their order and stops at the first home that holds bin\javaw.exe: a
// value left behind by an uninstalled runtime does not hide a good one in the other view.
JavaHomeChoice ChooseJavaHome(const std::wstring& runtimeKeyPath);
