/** @file
 * Character classification shared by the runtime's text parsers (ASCII only,
 * independent of any locale).
 */
#ifndef RT_INTERNAL_CTYPE_H
#define RT_INTERNAL_CTYPE_H

/** Value of the hexadecimal digit @a ch (either case), or -1 for any other character. */
inline int rtHexDigitValue(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

#endif
