#include "KeysHelp.h"

const char* KeysHelpText() {
  return "Turning pages\n"
         "Next: Right, Page Down, Space, or a click on the right half\n"
         "Back: Left, Page Up, or a click on the left half\n"
         "First and last page: Home, End\n"
         "The wheel turns pages, and scrolls a zoomed page\n"
         "Go to a page: Ctrl+G\n"
         "\n"
         "Zoom\n"
         "Zoom in and out: Ctrl+Plus, Ctrl+Minus, Ctrl+wheel\n"
         "Fit the pages: Ctrl+0\n"
         "Move a zoomed page: drag it\n"
         "100 % or fit: double click\n"
         "\n"
         "Books and window\n"
         "Open a book: Ctrl+O\n"
         "Close the book: Ctrl+W\n"
         "Full screen: F11\n"
         "Leave full screen: Esc";
}
