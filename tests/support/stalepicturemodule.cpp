#include <QtGlobal>

// A picture module from another build, as a stale install in another prefix
// leaves one: its version differs, and nothing else of it may be called.
extern "C" Q_DECL_EXPORT const char *kavreloPictureModuleVersion()
{
    return "0.0.0-stale/0";
}
