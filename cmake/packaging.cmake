# The packages a user downloads, made by CPack (`cmake --build ... --target
# package`):
#   Windows  Vendrix-<version>-win32.zip (-win64.zip): one folder with the
#            program, its settings and menu files, the samples with their
#            desktop descriptions (all of examples/), the documentation as
#            text for Notepad, the editor support, the licence and the
#            third-party notices.  It runs wherever it is unpacked: no
#            installer, no registry.
#   Linux    vendrix_<version>_<arch>.deb: the native program in its own
#            folder /usr/lib/vendrix with the same files (it reads its
#            settings beside itself), /usr/bin/vendrix, and the documentation
#            and editor support in /usr/share/doc/vendrix.
# tests/package/ lists what each holds; CI unpacks them and compares.

find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(package_text ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/tools/package-text)
set(texts_dir ${CMAKE_BINARY_DIR}/package-texts)

# The documents, below docs/, and the samples' own README as docs/samples.
file(GLOB_RECURSE doc_files RELATIVE ${PROJECT_SOURCE_DIR}/docs CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/docs/*.md)
set(samples_readme ${PROJECT_SOURCE_DIR}/examples/README.md)

# What is compiled into the executables from elsewhere, and the files that
# hold its licence texts (read at build time, never kept in the repository).
set(notice_parts "nlohmann-json=/usr/share/doc/nlohmann-json3-dev/copyright")
if(WIN32)
  list(APPEND notice_parts
       "libjpeg-turbo=${VENDRIX_LIBJPEG_TURBO_SOURCE}/LICENSE.md"
       "libjpeg-turbo, the Independent JPEG Group's part=${VENDRIX_LIBJPEG_TURBO_SOURCE}/README.ijg"
       "mingw-w64 runtime=/usr/share/doc/mingw-w64-common/copyright"
       "GCC runtime libraries (libstdc++, libgcc), with the GCC Runtime Library Exception=/usr/share/doc/gcc-mingw-w64-base/copyright")
  set(notice_flags --crlf)
  set(notices ${texts_dir}/THIRD-PARTY-NOTICES.txt)
else()
  set(notice_flags)
  set(notices ${texts_dir}/THIRD-PARTY-NOTICES)
endif()
set(notice_files)
foreach(part IN LISTS notice_parts)
  string(REGEX REPLACE "^[^=]*=" "" file ${part})
  list(APPEND notice_files ${file})
endforeach()
add_custom_command(OUTPUT ${notices}
                   COMMAND ${package_text} notices ${notices} ${notice_parts} ${notice_flags}
                   DEPENDS ${notice_files} ${PROJECT_SOURCE_DIR}/tools/package-text
                   COMMENT "Third-party notices" VERBATIM)
set(package_texts ${notices})

set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vendrix developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop automation with line-oriented macros")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # Notepad's kind of text: the Markdown documents as .txt with CR LF.
  set(windows_docs)
  foreach(relative IN LISTS doc_files ITEMS samples.md)
    set(source ${PROJECT_SOURCE_DIR}/docs/${relative})
    if(relative STREQUAL "samples.md")
      set(source ${samples_readme})
    endif()
    string(REGEX REPLACE "\\.md$" ".txt" text ${texts_dir}/docs/${relative})
    list(APPEND windows_docs ${text})
    add_custom_command(OUTPUT ${text}
                       COMMAND ${package_text} windows ${source} ${text}
                       DEPENDS ${source} ${PROJECT_SOURCE_DIR}/tools/package-text VERBATIM)
  endforeach()
  foreach(top README.md LICENSE)
    get_filename_component(stem ${top} NAME_WE)
    list(APPEND package_texts ${texts_dir}/${stem}.txt)
    add_custom_command(OUTPUT ${texts_dir}/${stem}.txt
                       COMMAND ${package_text} windows ${PROJECT_SOURCE_DIR}/${top} ${texts_dir}/${stem}.txt
                       DEPENDS ${PROJECT_SOURCE_DIR}/${top} ${PROJECT_SOURCE_DIR}/tools/package-text
                       VERBATIM)
  endforeach()
  add_custom_target(vendrix_package_texts ALL DEPENDS ${package_texts} ${windows_docs})

  install(TARGETS vendrix_exe zemlo_exe RUNTIME DESTINATION .)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION . PATTERN README.md EXCLUDE)
  install(FILES ${package_texts} DESTINATION .)
  install(DIRECTORY ${texts_dir}/docs DESTINATION .)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/editors DESTINATION .)

  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(package_platform win64)
  else()
    set(package_platform win32)
  endif()
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME Vendrix)
  set(CPACK_PACKAGE_FILE_NAME Vendrix-${PROJECT_VERSION}-${package_platform})
else()
  add_custom_target(vendrix_package_texts ALL DEPENDS ${package_texts})

  install(TARGETS vendrix_exe RUNTIME DESTINATION lib/vendrix)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION lib/vendrix PATTERN README.md EXCLUDE)
  install(CODE [[
    file(MAKE_DIRECTORY "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
    file(CREATE_LINK ../lib/vendrix/vendrix "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin/vendrix" SYMBOLIC)
  ]])
  install(FILES README.md LICENSE ${notices} DESTINATION share/doc/vendrix)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs ${PROJECT_SOURCE_DIR}/editors DESTINATION share/doc/vendrix)
  install(FILES ${samples_readme} DESTINATION share/doc/vendrix/docs RENAME samples.md)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME vendrix)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Vendrix developers")
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  find_program(VENDRIX_DPKG_SHLIBDEPS dpkg-shlibdeps)
  if(VENDRIX_DPKG_SHLIBDEPS)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  else()
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1, libjpeg62-turbo")
  endif()
endif()

include(CPack)
