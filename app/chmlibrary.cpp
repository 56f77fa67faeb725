#include "app/chmlibrary.h"

#include <dlfcn.h>

ChmLibrary::ChmLibrary(QString fileName)
    : m_fileName(std::move(fileName))
{
}

ChmLibrary::~ChmLibrary()
{
    unload();
}

namespace {

template <typename F>
bool resolve(void* handle, const char* symbol, F& target)
{
    target = reinterpret_cast<F>(dlsym(handle, symbol));
    return target != nullptr;
}

} // namespace

bool ChmLibrary::load(QString* error)
{
    if (m_handle)
        return true;
    m_handle = dlopen(m_fileName.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    if (!m_handle) {
        if (error)
            *error = QString::fromLocal8Bit(dlerror());
        return false;
    }
    const bool complete = resolve(m_handle, "chm_open", open) && resolve(m_handle, "chm_close", close)
        && resolve(m_handle, "chm_resolve_object", resolveObject)
        && resolve(m_handle, "chm_retrieve_object", retrieveObject)
        && resolve(m_handle, "chm_enumerate", enumerate);
    if (!complete) {
        if (error)
            *error = QString::fromLocal8Bit(dlerror());
        unload();
        return false;
    }
    return true;
}

void ChmLibrary::unload()
{
    open = nullptr;
    close = nullptr;
    resolveObject = nullptr;
    retrieveObject = nullptr;
    enumerate = nullptr;
    if (m_handle) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
}
