#pragma once
// The factory patterns of config.xml keep their descriptions in English, as the factory wrote
// them; while a description is still that text, the pages and the report show it in the user's
// language. A description the user wrote or changed is shown as written. config.xml keeps the
// English text, so a change of language shows the new language's words.

#include <string>

// The description to show for a stored one: a factory description's text in the user's language;
// any other as it is.
std::string DescriptionShown(const std::string& stored);

// The description to store for a shown one: the factory's English text for the shown form of a
// factory description; any other as it is, so what a page shows goes back as it was stored.
std::string DescriptionStored(const std::string& shown);
