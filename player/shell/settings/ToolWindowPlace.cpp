#include "Settings.h"

std::optional<ToolWindowPlace::Place> ToolWindowPlace::readPlace() const
{
    if (getString("x").empty() || getString("y").empty()) return std::nullopt;
    Place place;
    place.x = getInt("x");
    place.y = getInt("y");
    place.width = getInt("width");
    place.height = getInt("height");
    return place;
}

void ToolWindowPlace::writePlace(const Place& place) const
{
    putInt("x", place.x);
    putInt("y", place.y);
    putInt("width", place.width);
    putInt("height", place.height);
}
