# Run by cmake --install: the workflow's settings as the source has them, but
# with the programs and tools of the install's bin folder instead of a build
# tree's. Relative paths in them are read from PREFIX/share/quarrow, the
# folder above the installed workflow/.
file(READ "${quarrow_source}/workflow/config.yaml" config)
foreach(built IN ITEMS build/yepharvest/ build/wiffharvest/ build/tools/)
  string(REPLACE "${built}" "${quarrow_bin_from_data}/" config "${config}")
endforeach()
cmake_path(ABSOLUTE_PATH quarrow_data BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" OUTPUT_VARIABLE data_folder)
set(target "$ENV{DESTDIR}${data_folder}/workflow/config.yaml")
message(STATUS "Installing: ${target}")
file(WRITE "${target}" "${config}")
