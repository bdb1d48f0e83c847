#include "gdalmessages.h"

#include <cpl_error.h>

namespace {

void CPL_STDCALL handle(CPLErr kind, CPLErrorNum /*number*/, const char *message)
{
    if (kind == CE_Debug || kind == CE_None)
        return;
    auto *messages = static_cast<GdalMessages *>(CPLGetErrorHandlerUserData());
    messages->take(kind != CE_Warning, message);
}

} // namespace

GdalMessages::GdalMessages()
{
    CPLPushErrorHandlerEx(handle, this);
}

GdalMessages::~GdalMessages()
{
    CPLPopErrorHandler();
}

void GdalMessages::take(bool failure, const char *message)
{
    const QString text = QString::fromUtf8(message).trimmed();
    if (failure)
        m_lastError = text;
    else if (!m_warnings.contains(text))
        m_warnings << text;
}
