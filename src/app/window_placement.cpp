#include "app/window_placement.h"

#include "app/inifile.h"
#include "document/ini_reader.h"

namespace zema {

namespace {
constexpr std::u16string_view kSection = u"Window Placement - Main";
}

WindowPlacement windowPlacementFromIni(const CIniReader& reader, const WindowPlacement& current)
{
    const CIniValues ini(reader);
    WindowPlacement placement;
    placement.flags = ini.getUnsigned(kSection, u"flags", current.flags);
    placement.showCmd = ini.getUnsigned(kSection, u"showCmd", current.showCmd);
    placement.maxX = ini.getInt(kSection, u"ptMaxPosition_x", current.maxX);
    placement.maxY = ini.getInt(kSection, u"ptMaxPosition_y", current.maxY);
    placement.minX = ini.getInt(kSection, u"ptMinPosition_x", current.minX);
    placement.minY = ini.getInt(kSection, u"ptMinPosition_y", current.minY);
    placement.left = ini.getInt(kSection, u"left", current.left);
    placement.top = ini.getInt(kSection, u"top", current.top);
    placement.right = ini.getInt(kSection, u"right", current.right);
    placement.bottom = ini.getInt(kSection, u"bottom", current.bottom);
    return placement;
}

WindowPlacement loadWindowPlacement(const std::filesystem::path& iniPath, const WindowPlacement& current)
{
    CIniReader reader;
    if (!reader.loadFile(iniPath)) reader.loadText(u"");
    return windowPlacementFromIni(reader, current);
}

bool saveWindowPlacement(const std::filesystem::path& iniPath, const WindowPlacement& placement)
{
    const CInifile ini(iniPath, std::u16string(kSection));
    bool ok = ini.setUnsigned(u"flags", placement.flags);
    ok = ini.setUnsigned(u"showCmd", placement.showCmd) && ok;
    ok = ini.setInt(u"ptMaxPosition_x", placement.maxX) && ok;
    ok = ini.setInt(u"ptMaxPosition_y", placement.maxY) && ok;
    ok = ini.setInt(u"ptMinPosition_x", placement.minX) && ok;
    ok = ini.setInt(u"ptMinPosition_y", placement.minY) && ok;
    ok = ini.setInt(u"left", placement.left) && ok;
    ok = ini.setInt(u"top", placement.top) && ok;
    ok = ini.setInt(u"right", placement.right) && ok;
    ok = ini.setInt(u"bottom", placement.bottom) && ok;
    return ok;
}

}  // namespace zema
