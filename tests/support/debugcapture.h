#pragma once

#include <QStringList>
#include <QtGlobal>

// Collects the debug-level lines written while it lives; other levels still
// reach the test log.
class DebugCapture
{
public:
    DebugCapture();
    ~DebugCapture();
    DebugCapture(const DebugCapture &) = delete;
    DebugCapture &operator=(const DebugCapture &) = delete;

    QStringList takeLines();

private:
    static void handle(QtMsgType type, const QMessageLogContext &context, const QString &message);

    QtMessageHandler m_previous;
    QStringList m_lines;
};
