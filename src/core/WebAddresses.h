#pragma once
// The addresses of the product's web pages and of the web search the file details dialog opens:
// settings of the product, not texts.

inline constexpr char kWebSiteAddress[] = "https://quillmoor.example.org/";
inline constexpr char kContactAddress[] = "https://quillmoor.example.org/contact";
inline constexpr char kSupportAddress[] = "https://quillmoor.example.org/support";
// The file details dialog searches for a file's name at kSearchAddress + "/search?q=" + name.
inline constexpr char kSearchAddress[] = "https://www.google.com";
