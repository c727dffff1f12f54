# The 32-bit import library. The DLL exports undecorated names (DRO_Foo), but a C host
# compiled against drovane.h calls the stdcall symbol _DRO_Foo@8; the library the linker
# writes beside the DLL knows only the undecorated one. So it is remade with dlltool -k
# from a .def of the decorated names, read from the engine's own objects: each entry links
# as DRO_Foo@8 and imports DRO_Foo by name.
#
#   cmake -DNM=… -DDLLTOOL=… -DARCHIVE=libdrovane_engine.a -DLIST=exports.list
#         -DDEF=drovane-stdcall.def -DDLL=drovane.dll -DIMPLIB=libdrovane.dll.a -P this file
execute_process(COMMAND ${NM} -g --defined-only ${ARCHIVE} OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "import library: ${NM} could not read ${ARCHIVE}")
endif()
string(REGEX MATCHALL " T _[A-Za-z][A-Za-z0-9_]*@[0-9]+" decorated "${symbols}")
set(stackBytes "")
foreach(entry IN LISTS decorated)
  string(REGEX REPLACE "^ T _([^@]+)@([0-9]+)$" "\\1;\\2" pair "${entry}")
  list(GET pair 0 name)
  list(GET pair 1 bytes)
  set(bytes_${name} ${bytes})
endforeach()

file(STRINGS ${LIST} names REGEX "^[A-Za-z_][A-Za-z0-9_]*$")
set(def "LIBRARY ${DLL}\nEXPORTS\n")
foreach(name IN LISTS names)
  if(DEFINED bytes_${name})
    string(APPEND def "    ${name}@${bytes_${name}}\n")
  else()
    string(APPEND def "    ${name}\n")  # not stdcall: links by its plain name
  endif()
endforeach()
file(WRITE ${DEF} "${def}")
execute_process(COMMAND ${DLLTOOL} -k -d ${DEF} -D ${DLL} -l ${IMPLIB} RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "import library: ${DLLTOOL} failed on ${DEF}")
endif()
