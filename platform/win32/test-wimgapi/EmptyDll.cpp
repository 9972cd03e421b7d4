// Deliberately empty: built as a wimgapi.dll that loads but has none of
// wimgapi's functions, so the tests see what the library does with such a DLL.
