# The settings area's pages and the classes behind them; the file formats
# they use are in the device library. Included by launcher/CMakeLists.txt and
# compiled into both launcher builds.
set(_settings_dir ${CMAKE_CURRENT_LIST_DIR})
set(LAUNCHER_SETTINGS_SOURCES)
foreach(_name
        systemsetting selectnetdialog networksetting wifinetworksetting wificonnectdialog
        displaysetting soundsetting passwdsetting checknet systermifno)
    list(APPEND LAUNCHER_SETTINGS_SOURCES
        ${_settings_dir}/${_name}.h ${_settings_dir}/${_name}.cpp ${_settings_dir}/${_name}.ui)
endforeach()
foreach(_name addressingfields)
    list(APPEND LAUNCHER_SETTINGS_SOURCES ${_settings_dir}/${_name}.h ${_settings_dir}/${_name}.cpp)
endforeach()
