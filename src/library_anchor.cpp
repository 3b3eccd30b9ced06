// Every library target compiles this file too, so that a folder whose code is all in headers
// still makes a library to link against.
