// The user's own shape folder: names that stay inside it, placing a newly
// built shape under a name no other shape has, and removing one.
#pragma once

#include <filesystem>
#include <string>

namespace quorvel {

// A name that can only mean a file directly in the folder: not empty, no
// '/', no leading '.', no control characters, at most 200 bytes.
bool IsSafeUserShapeName(const std::string& name);

// The name an outline file suggests: its file name without the ending, made
// safe (leading dots dropped, control characters and '/' replaced);
// "shape" when nothing is left.
std::string UserShapeNameFor(const std::filesystem::path& outline);

// Moves the finished shape file built (in folder) to folder/NAME.qshp, or to
// NAME-2.qshp, NAME-3.qshp... when that is taken: a link is made exclusively,
// so two adds at once never share a name and an existing shape is never
// replaced. built is removed either way. False when nothing was placed.
bool PlaceUserShape(const std::filesystem::path& built, const std::filesystem::path& folder,
                    const std::string& name, std::filesystem::path& placed);

enum class UserShapeRemoval { kRemoved, kNotFound, kFailed };

// Deletes folder/NAME.qshp (the ending's letter case ignored).
UserShapeRemoval RemoveUserShape(const std::filesystem::path& folder, const std::string& name);

}  // namespace quorvel
