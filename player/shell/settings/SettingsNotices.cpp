#include "Settings.h"

void SettingsNotices::note(const IniFile::Written& written)
{
    bool* told = nullptr;
    switch (written.notice) {
    case IniFile::Notice::none:
        return;
    case IniFile::Notice::notSaved:
        told = &toldNotSaved_;
        break;
    case IniFile::Notice::keptAside:
        told = &toldKeptAside_;
        break;
    }
    if (*told) return;
    *told = true;
    tell_(written.text);
}
