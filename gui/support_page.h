/* The support web page: the caption of the about dialog's button 210 and the address it opens. */
#pragma once

#define SUPPORT_PAGE_ADDRESS "https://pi-agm.example.org/"
