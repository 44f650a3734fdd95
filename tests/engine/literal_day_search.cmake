# The literal day search, shared by the engine's tests and the benchmark;
# whichever folder comes first defines it.
if(NOT TARGET literal_day_search)
    add_library(literal_day_search STATIC
        ${CMAKE_CURRENT_LIST_DIR}/literal_search.cpp
        ${CMAKE_CURRENT_LIST_DIR}/literal_search.h)
    target_include_directories(literal_day_search PUBLIC ${CMAKE_CURRENT_LIST_DIR})
    target_link_libraries(literal_day_search PUBLIC engine PRIVATE quendra_warnings)
endif()
