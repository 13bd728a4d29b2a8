// Boost.URL is compiled once, here, instead of being linked as a library.
#include <boost/url/src.hpp>
