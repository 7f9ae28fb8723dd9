// The maker's web pages and product names, set here and nowhere else.
#pragma once

inline constexpr const char* kMakerHomePage = "https://www.vellbook.example/";
inline constexpr const char* kMakerContactPage = "https://www.vellbook.example/contact/";

inline constexpr const char* kFirstProductName = "Vell Book Creator";
inline constexpr const char* kFirstProductPage = "https://www.vellbook.example/book-creator/";
inline constexpr const char* kFirstProductLine = "Turn pictures and PDF pages into books.";

inline constexpr const char* kSecondProductName = "Vell Page Studio";
inline constexpr const char* kSecondProductPage = "https://www.vellbook.example/page-studio/";
inline constexpr const char* kSecondProductLine = "Design page-turning catalogues and magazines.";
