# The window half of the class library: message maps, windows, dialogs, drawing objects,
# menus, controls, the application object. Only in the DLL: the static core variant serves
# programs without windows.
set(XARN_CLASSLIB_WINDOW_SOURCES
    src/App.cpp
    src/AppEx.cpp
    src/CmdTarget.cpp
    src/CommonControls.cpp
    src/Controls.cpp
    src/Dialog.cpp
    src/Gdi.cpp
    src/Menu.cpp
    src/Resources.cpp
    src/ShellControls.cpp
    src/Wnd.cpp
    src/WindowState.cpp
)
target_sources(xarnclasslib PRIVATE ${XARN_CLASSLIB_WINDOW_SOURCES})
target_link_libraries(xarnclasslib PRIVATE comctl32 msimg32 ole32 shell32 ws2_32 uuid)

# The program entry (WinMain -> AfxWinMain) that windowed programs link. An object library:
# from an archive the linker would not take WinMain, which only the C runtime asks for.
add_library(xarnclasslib_winmain OBJECT src/WinMain.cpp)
target_link_libraries(xarnclasslib_winmain PUBLIC xarnclasslib)

# Tests: a program with its own resources and an extension DLL with more.
add_library(classlib_test_extension SHARED tests/window/ExtensionLibrary.cpp
                                           tests/window/ExtensionLibrary.rc)
target_include_directories(classlib_test_extension PRIVATE tests/window)
target_link_libraries(classlib_test_extension PRIVATE xarnclasslib)
set_target_properties(classlib_test_extension PROPERTIES PREFIX "")

# A strip of three 15-pixel images (red, green, blue) for the image-list test.
set(XARN_TEST_STRIP ${CMAKE_CURRENT_BINARY_DIR}/test_strip.bmp)
xarn_host_step(NAME test_strip
    OUTPUT ${XARN_TEST_STRIP}
    COMMAND convert -size 15x15 "xc:#FF0000" "xc:#00FF00" "xc:#0000FF" +append -type TrueColor
            BMP3:{out}/test_strip.bmp
    COPY test_strip.bmp=${XARN_TEST_STRIP})
set_source_files_properties(tests/window/WindowTest.rc PROPERTIES OBJECT_DEPENDS
                            ${XARN_TEST_STRIP})

xarn_add_test(NAME classlib_window_test
              SOURCES tests/window/DispatchTest.cpp tests/window/DialogTest.cpp
                      tests/window/ResourcesTest.cpp tests/window/ControlsTest.cpp
                      tests/window/ThreadStateTest.cpp tests/window/WorkerThreadTest.cpp
                      tests/window/ProfileTest.cpp
                      tests/window/WindowTest.rc
              LIBS xarnclasslib comctl32 ole32 TIMEOUT 120)
target_include_directories(classlib_window_test PRIVATE tests/window ${CMAKE_CURRENT_BINARY_DIR})
add_dependencies(classlib_window_test classlib_test_extension)
