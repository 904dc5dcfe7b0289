// The global operator new and delete of chronel.dll and chronset.dll, straight onto the C heap.
//
// Both DLLs live inside the host's process: chronel for the host's whole run, chronset for each
// opening of the editor. The C++ library's allocation functions report failure by throwing, and
// linking them brings in its exception runtime, whose start-up registers the DLL's unwind tables,
// installs a process-wide exception handler and a TLS callback, and gives the loading thread a
// per-thread record (a thread handle and an event) that the unload leaves behind. With these
// replacements and no library strings or containers, neither DLL links any of it, and every unload
// gives back what the load took.
//
// Our own code allocates only with the nothrow forms and checks the result. The plain forms
// cannot throw here; out of memory they end the process at once, as an uncaught exception would
// have.
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

void* Allocate(std::size_t size)
{
    return std::malloc(size ? size : 1);
}

void* AllocateOrEnd(std::size_t size)
{
    void* block = Allocate(size);
    if (!block)
        std::abort();
    return block;
}

}  // namespace

void* operator new(std::size_t size)
{
    return AllocateOrEnd(size);
}

void* operator new[](std::size_t size)
{
    return AllocateOrEnd(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size);
}

void operator delete(void* block) noexcept
{
    std::free(block);
}

void operator delete[](void* block) noexcept
{
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept
{
    std::free(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    std::free(block);
}
