// The owners of the Windows resources the product holds, one name per kind of resource.
#pragma once

#include "owners/OwnerTraits.h"

using KernelHandle = UniqueResource<owner_traits::Kernel>;
using FindHandle = UniqueResource<owner_traits::Find>;
using RegistryKey = UniqueResource<owner_traits::RegistryKey>;
using ServiceHandle = UniqueResource<owner_traits::Service>;
template <typename Pointer = HLOCAL>
using LocalMemory = UniqueResource<owner_traits::LocalMemory<Pointer>>;
template <typename Pointer = void*>
using HeapMemory = UniqueResource<owner_traits::HeapMemory<Pointer>>;
template <typename Pointer = void*>
using NetApiBuffer = UniqueResource<owner_traits::NetApiBuffer<Pointer>>;
using AllocatedSid = UniqueResource<owner_traits::AllocatedSid>;
using LibraryModule = UniqueResource<owner_traits::Library>;
template <typename Object> using GdiObject = UniqueResource<owner_traits::GdiObject<Object>>;
using DeviceContext = UniqueResource<owner_traits::DeviceContext>;
using IconHandle = UniqueResource<owner_traits::Icon>;
using MenuHandle = UniqueResource<owner_traits::Menu>;
