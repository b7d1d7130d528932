// One owner for every kind of Windows resource: it frees what it holds exactly once, when it
// goes out of scope, is reset or is moved onto; it cannot be copied and can be moved.
#pragma once

#include <utility>

// Traits name the resource type, the value that means "nothing held", which values count as
// held (several APIs answer failure with a second value, such as INVALID_HANDLE_VALUE), and the
// release call, which answers whether the system released the resource.
template <typename Traits> class UniqueResource {
public:
    using Type = typename Traits::Type;

    UniqueResource() noexcept = default;
    explicit UniqueResource(Type resource) noexcept : resource_(resource) {}
    ~UniqueResource() { Reset(); }
    UniqueResource(UniqueResource&& other) noexcept : resource_(other.Release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept {
        if (this != &other)
            Reset(other.Release());
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    Type Get() const noexcept { return resource_; }
    bool IsValid() const noexcept { return Traits::IsHeld(resource_); }
    explicit operator bool() const noexcept { return IsValid(); }

    // Frees what is held (if anything) and takes `resource` instead.
    void Reset(Type resource = Traits::kEmpty) noexcept {
        const Type old = std::exchange(resource_, resource);
        if (Traits::IsHeld(old))
            static_cast<void>(Traits::Free(old));
    }
    // Gives up ownership without freeing.
    [[nodiscard]] Type Release() noexcept { return std::exchange(resource_, Traits::kEmpty); }
    // Frees what is held now and tells whether the system freed it cleanly (true when empty).
    [[nodiscard]] bool Close() noexcept {
        const Type old = std::exchange(resource_, Traits::kEmpty);
        return !Traits::IsHeld(old) || Traits::Free(old);
    }
    // For an API that returns the resource through an out parameter: frees what is held first.
    [[nodiscard]] Type* Put() noexcept {
        Reset();
        return &resource_;
    }

private:
    Type resource_ = Traits::kEmpty;
};
