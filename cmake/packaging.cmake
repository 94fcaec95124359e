# The Debian package, made by CPack's DEB generator from a Release build (scripts/package runs
# `cpack -G DEB`): the program, its desktop entry, icons and AppStream metadata (desktop/), a
# manual page, the copyright and changelog files every Debian package carries, the example
# study, and the user's pages (docs/) with the analysis recipes. Its dependencies on shared
# libraries are worked out by dpkg-shlibdeps from the binary. The manual page and the
# documentation files are installed by `cmake --install` as well.
include(GNUInstallDirs)

set(DISSIM_PACKAGE_NAME dissimilarity-matrices)
set(DISSIM_PACKAGE_MAINTAINER
    "Seed 41a7bc39 maintainers <maintainers@users.noreply.c-seed-41a7bc39.example>"
    CACHE STRING "Name and e-mail address in the Debian package's Maintainer field")
set(package_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/${DISSIM_PACKAGE_NAME})
set(packaging_dir ${PROJECT_SOURCE_DIR}/packaging)
set(packaging_out ${PROJECT_BINARY_DIR}/packaging)

# Debian wants the manual page and the changelog compressed with gzip -9, without a time stamp
# or file name in the header, so that the same sources give the same package.
set(manual_page ${packaging_out}/dissimilarity_matrices.1)
set(changelog ${packaging_out}/changelog)
configure_file(${packaging_dir}/dissimilarity_matrices.1.in ${manual_page} @ONLY)
configure_file(${packaging_dir}/changelog.in ${changelog} @ONLY)
add_custom_command(
  OUTPUT ${manual_page}.gz ${changelog}.gz
  COMMAND gzip -9 -n -k -f ${manual_page} ${changelog}
  DEPENDS ${manual_page} ${changelog}
  COMMENT "Compressing the manual page and the changelog"
  VERBATIM)
add_custom_target(package_documents ALL DEPENDS ${manual_page}.gz ${changelog}.gz)

install(FILES ${manual_page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${packaging_dir}/copyright ${changelog}.gz DESTINATION ${package_doc_dir})
# The example study of the README's "Try it", byte for byte as in examples/ (the matrix file
# with its CR LF line ends). Both are small, so they stay uncompressed: the window's file dialog
# opens them where they are.
install(FILES ${PROJECT_SOURCE_DIR}/examples/example-sort-data.txt
              ${PROJECT_SOURCE_DIR}/examples/example-matrices.txt
        DESTINATION ${package_doc_dir}/examples)
# The user's pages, as in docs/: the user's guide, the data, installation, and from the matrix
# file to a map with the recipes it shows; their pictures beside them.
install(FILES ${PROJECT_SOURCE_DIR}/docs/guide.md
              ${PROJECT_SOURCE_DIR}/docs/data.md
              ${PROJECT_SOURCE_DIR}/docs/install.md
              ${PROJECT_SOURCE_DIR}/docs/analysis.md
              ${PROJECT_SOURCE_DIR}/docs/window.png
              ${PROJECT_SOURCE_DIR}/docs/window-wine.png
              ${PROJECT_SOURCE_DIR}/docs/example-map.png
        DESTINATION ${package_doc_dir})
install(FILES ${PROJECT_SOURCE_DIR}/docs/recipes/read-matrices.sps
              ${PROJECT_SOURCE_DIR}/docs/recipes/scaling-spss.sps
              ${PROJECT_SOURCE_DIR}/docs/recipes/analysis.R
              ${PROJECT_SOURCE_DIR}/docs/recipes/analysis.py
        DESTINATION ${package_doc_dir}/recipes)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${DISSIM_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${DISSIM_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "turn free-sorting data into dissimilarity matrices")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${packaging_dir}/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${DISSIM_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
