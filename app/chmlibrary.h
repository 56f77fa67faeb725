#pragma once

#include <QString>

#include <chm_lib.h>

// chmlib, loaded at run time so that the program starts and runs without it;
// only help is lost then.
class ChmLibrary {
public:
    static constexpr const char* kDefaultName = "libchm.so.1";

    explicit ChmLibrary(QString fileName = QString::fromLatin1(kDefaultName));
    ~ChmLibrary();
    ChmLibrary(const ChmLibrary&) = delete;
    ChmLibrary& operator=(const ChmLibrary&) = delete;

    // Loads the library and resolves every entry point; false (with the
    // loader's message in *error) when any is missing.
    bool load(QString* error = nullptr);
    void unload();
    bool isLoaded() const { return m_handle != nullptr; }
    QString fileName() const { return m_fileName; }

    // Entry points, valid while loaded.
    decltype(&::chm_open) open = nullptr;
    decltype(&::chm_close) close = nullptr;
    decltype(&::chm_resolve_object) resolveObject = nullptr;
    decltype(&::chm_retrieve_object) retrieveObject = nullptr;
    decltype(&::chm_enumerate) enumerate = nullptr;

private:
    QString m_fileName;
    void* m_handle = nullptr;
};
