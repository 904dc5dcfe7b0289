// No pass over pseudo-relocations in the shipped DLLs.
//
// mingw-w64's start-up code calls this before the DLL's constructors, to patch references to
// data that other libraries export and the code reached without declaring it imported. The DLLs
// are linked with --disable-auto-import, which refuses such a reference, so the list is always
// empty; the runtime's own version would still bring in its error reporting through stdio,
// VirtualQuery and VirtualProtect, about 2 KB of chronel's 80.
extern "C" void _pei386_runtime_relocator()
{
}
