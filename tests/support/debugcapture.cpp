#include "debugcapture.h"

namespace {
DebugCapture *activeCapture = nullptr;
}

DebugCapture::DebugCapture() : m_previous(qInstallMessageHandler(&DebugCapture::handle))
{
    activeCapture = this;
}

DebugCapture::~DebugCapture()
{
    activeCapture = nullptr;
    qInstallMessageHandler(m_previous);
}

QStringList DebugCapture::takeLines()
{
    QStringList lines;
    lines.swap(m_lines);
    return lines;
}

void DebugCapture::handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtDebugMsg && activeCapture)
        activeCapture->m_lines.append(message);
    else if (activeCapture && activeCapture->m_previous)
        activeCapture->m_previous(type, context, message);
}
