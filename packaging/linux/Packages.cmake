# Debian packages, made by `cpack` in the build folder (scripts/packages.sh):
# emblix-manager (the program with its extension, desktop entry, MIME type,
# icons, AppStream metadata and manual pages) and one package per file
# manager for its module, each depending on its file manager and on
# emblix-manager at the same version.
#
# CPack rather than a debian/ folder: the packages are the same install
# rules as `cmake --install`, so the layout is described once, and they are
# made from the build the tests just ran, without a second compile.
#
# Components: `program` is what `cmake --install` installs; `debian` is
# what only the package carries (the marker that gives each user a program
# folder of their own, the copyright and changelog); each file manager's
# module is a component of its own, named after the file manager, and its
# documents are `<manager>-doc`.
set(EMBLIX_PACKAGE_RELEASE 1)
set(EMBLIX_PACKAGE_VERSION ${PROJECT_VERSION}-${EMBLIX_PACKAGE_RELEASE})
set(EMBLIX_MAINTAINER "The Emblix Manager developers <developers@emblix.example.org>")

# The documents every package carries: the changelog compressed as dpkg
# expects it (no name, no time inside).
set(doc_source ${CMAKE_CURRENT_LIST_DIR}/debian)
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/changelog.Debian.gz)
execute_process(COMMAND gzip -9nc ${doc_source}/changelog OUTPUT_FILE ${changelog})
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${doc_source}/changelog)

function(emblix_package_docs component package)
    install(FILES ${doc_source}/copyright ${changelog}
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package} COMPONENT ${component} EXCLUDE_FROM_ALL)
endfunction()

install(FILES ${CMAKE_CURRENT_LIST_DIR}/per-user-program-folder DESTINATION ${EMBLIX_PROGRAM_DIR} COMPONENT debian
        EXCLUDE_FROM_ALL)
emblix_package_docs(debian emblix-manager)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME emblix-manager)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${EMBLIX_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Folders as Debian wants them, whatever the builder's umask.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                                WORLD_READ WORLD_EXECUTE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${EMBLIX_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${EMBLIX_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Real dependencies, read by dpkg-shlibdeps from the libraries each binary
# links.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPackComponent)
cpack_add_component_group(main)
cpack_add_component(program GROUP main)
cpack_add_component(debian GROUP main)
set(CPACK_DEBIAN_MAIN_PACKAGE_NAME emblix-manager)
set(CPACK_DEBIAN_MAIN_FILE_NAME DEB-DEFAULT)
# Emblems reach the GTK file managers through gvfs's metadata daemon.
set(CPACK_DEBIAN_MAIN_PACKAGE_RECOMMENDS "gvfs")
set(CPACK_DEBIAN_MAIN_DESCRIPTION
    "numbered badges on files and folders
Emblix Manager is the control panel of a file-marking system: in the file
manager a user attaches one of ten numbered badge icons to a file or folder,
and the badge is drawn on its icon, following the file when it is renamed or
moved.
.
This package holds the manager (records, icon themes and theme packages,
languages, the file managers' registration), the badge command, the emblem
keeper and the per-user menus of Thunar, Nemo, Caja, Nautilus and Dolphin.
The file managers' own modules come in their own packages.")
set(groups main)

# One package per file manager whose module was built: its name, the file
# manager it needs, and the description's first line.
get_property(emblix_modules GLOBAL PROPERTY EMBLIX_MODULES)
foreach(manager thunar nemo caja nautilus dolphin)
    if(NOT emblix_modules MATCHES "emblix-${manager}")
        continue()
    endif()
    string(TOUPPER ${manager} group)
    set(package ${manager}-emblix)
    cpack_add_component_group(${manager})
    cpack_add_component(${manager} GROUP ${manager})
    cpack_add_component(${manager}-doc GROUP ${manager})
    emblix_package_docs(${manager}-doc ${package})
    set(CPACK_DEBIAN_${group}_PACKAGE_NAME ${package})
    set(CPACK_DEBIAN_${group}_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_${group}_PACKAGE_DEPENDS "${manager}, emblix-manager (= ${EMBLIX_PACKAGE_VERSION})")
    string(SUBSTRING ${manager} 0 1 first)
    string(TOUPPER ${first} first)
    string(SUBSTRING ${manager} 1 -1 rest)
    set(CPACK_DEBIAN_${group}_DESCRIPTION
        "${first}${rest} module for Emblix Manager's badges
The Badge menu of Emblix Manager and the numbered badges on the icons of
files and folders, drawn by ${first}${rest} itself.")
    list(APPEND groups ${manager})
endforeach()
set(CPACK_COMPONENTS_GROUPING ONE_PER_GROUP)
set(CPACK_COMPONENTS_ALL program debian)
foreach(group IN LISTS groups)
    if(NOT group STREQUAL main)
        list(APPEND CPACK_COMPONENTS_ALL ${group} ${group}-doc)
    endif()
endforeach()

include(CPack)
