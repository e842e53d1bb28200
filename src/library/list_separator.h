// The list separator: the one library-wide value, chosen once at load from the
// user's default locale and only read afterwards by the list-file readers.
#ifndef QUORBEL_LIBRARY_LIST_SEPARATOR_H
#define QUORBEL_LIBRARY_LIST_SEPARATOR_H

namespace quorbel {

constexpr int kListSeparatorCapacity = 32;
constexpr unsigned kLanguageSpanish = 10;

// The separator buffer: one character, its terminator and zeros to the end.
const wchar_t* ListSeparator();

// The separator of a language: ';' for Spanish (any country), ',' for every
// other language.
inline wchar_t ListSeparatorFor(unsigned primaryLanguage) { return primaryLanguage == kLanguageSpanish ? L';' : L','; }

// Writes the separator of the language.
void ChooseListSeparator(unsigned primaryLanguage);

// Chooses the separator from the platform's user locale; called at load.
void InitListSeparator();

}  // namespace quorbel

#endif
