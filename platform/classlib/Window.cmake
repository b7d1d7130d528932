# The window half of the class library: message maps, windows, dialogs, drawing objects,
# menus, controls, the application object. Only in the DLL: the static core variant serves
# programs without windows.
set(XARN_CLASSLIB_WINDOW_SOURCES
    src/App.cpp
    src/CmdTarget.cpp
    src/Controls.cpp
    src/Dialog.cpp
    src/Gdi.cpp
    src/Menu.cpp
    src/Resources.cpp
    src/Wnd.cpp
    src/WindowState.cpp
)
target_sources(xarnclasslib PRIVATE ${XARN_CLASSLIB_WINDOW_SOURCES})
target_link_libraries(xarnclasslib PRIVATE comctl32 msimg32 ole32 ws2_32 uuid)

# The program entry (WinMain -> AfxWinMain) that windowed programs link.
add_library(xarnclasslib_winmain STATIC src/WinMain.cpp)
target_link_libraries(xarnclasslib_winmain PUBLIC xarnclasslib)

# Tests: a program with its own resources and an extension DLL with more.
add_library(classlib_test_extension SHARED tests/window/extension_library.cpp
                                           tests/window/extension_library.rc)
target_include_directories(classlib_test_extension PRIVATE tests/window)
target_link_libraries(classlib_test_extension PRIVATE xarnclasslib)
target_link_options(classlib_test_extension PRIVATE -static)
set_target_properties(classlib_test_extension PROPERTIES PREFIX "")

xarn_add_test(NAME classlib_window_test
              SOURCES tests/window/dispatch_test.cpp tests/window/dialog_test.cpp
                      tests/window/resources_test.cpp tests/window/window_test.rc
              LIBS xarnclasslib TIMEOUT 120)
target_include_directories(classlib_window_test PRIVATE tests/window)
add_dependencies(classlib_window_test classlib_test_extension)
