// Mutated skins for the robustness tests: a realistic skin (boxes, labels, buttons, check boxes,
// an option group, classes, events, an include) and random edits of it (byte flips,
// truncations, insertions of markup characters, deletions).
#ifndef TESTS_UI_SKIN_MUTATIONS_H_
#define TESTS_UI_SKIN_MUTATIONS_H_

#include <random>
#include <string>

namespace uitest {

// The skin, as UTF-8 markup; includePath (UTF-8) is the file its "Include" builds twice.
std::string SeedSkin(const std::string& includePath);

// seed after one to four random edits.
std::string MutateSkin(const std::string& seed, std::mt19937& random);

}  // namespace uitest

#endif  // TESTS_UI_SKIN_MUTATIONS_H_
